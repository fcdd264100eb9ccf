// Texts of the version box and the clear-logs confirmation. The program uses
// the ANSI window functions, so byte 0x85 shows as an ellipsis (Windows-1252).
#pragma once

constexpr const char kVersionCaption[] = "VORNAK - ASM Integration Client";

// The ellipsis byte stands in its own literal so that the digits after it
// are not read as part of the escape.
constexpr const char kVersionText[] =
    "RELEASE VERSION 1.1\r\n"
    "Revolutionize your Manual AIS data management with our cutting-edge AIS Application Specific - Message Client. "
    "Engineered for Windows PCs and utilizing any WIN XP"
    "\x85"
    "10 compatible RS422 USB Comport adapters. This advanced software ensures seamless interaction between your PC and "
    "AIS Presentation Port or AIS Pilot Plug port."
    "\n\r For any queries please email asm-support@example.com"
    "\n\rBuild Number: Build 23092024r1.1\n";

constexpr const char kClearLogsCaption[] = "Display Data Que";
constexpr const char kClearLogsText[] = "This action will delete display data.";
