/* Resource identifiers of the client: menu, icon, settings dialogs and their
   controls, and the menu commands. Message view templates use their control
   numbers directly (res/view_dialogs.rc). Shared by the resource script and
   the Win32 sources. */
#pragma once

#define IDI_APP 102
#define IDR_MAINMENU 103

/* Menu commands. */
#define ID_SENSOR_ALPHA 40706
#define ID_SENSOR_BRAVO 40709
#define ID_SENSOR_CHARLIE 40710
#define ID_SENSOR_DELTA 40711
#define ID_SENSOR_ECHO 40712
#define ID_PRESENTATION_PORT 1060
#define ID_NMEA2000_PORT 40715
#define ID_BBM_PRESENTATION 40716
#define ID_BBM_NMEA2000 40713
#define ID_CLEAR_LOGS 40013
#define ID_VERSION 40312
/* Opens the sentence monitor: from the menu with lParam 0 (every link), from
   a status bar part with the link it shows (1 to 3). */
#define ID_MONITOR 41100

/* The main window's status bar: its rows from the top, 41000 + row. */
#define IDC_STATUS_BAR 41000
/* The sentence monitor's controls. */
#define IDC_MONITOR_FILTER_LABEL 41101
#define IDC_MONITOR_FILTER 41102
#define IDC_MONITOR_LINK1 41103
#define IDC_MONITOR_LINK2 41104
#define IDC_MONITOR_LINK3 41105
#define IDC_MONITOR_REJECTED 41106
#define IDC_MONITOR_PAUSE 41107
#define IDC_MONITOR_CLEAR 41108
#define IDC_MONITOR_LIST 41109

/* Starts and stops recording the session. */
#define ID_RECORD 41200

/* Settings dialogs. */
#define IDD_PRESENTATION_SETTINGS 1481
#define IDD_NMEA_SETTINGS 1482
#define IDD_SENSOR_SETTINGS 250

#define IDC_ACCEPT 2091
#define IDC_CLEAR 3
#define IDC_CONNECTION_NAME 2071
#define IDC_PORT_LIST 2089
#define IDC_BAUD_RATE 2092
#define IDC_FORMATTER_LABEL 2109
#define IDC_FORMATTER 2096
#define IDC_COUNTER 2098
#define IDC_STREAM 2077

/* Posted by the sensor stream to dialog 250, once per shown sentence. */
#define ID_SENSOR_MATCH 1033

/* Sent by a link's reader to the main window for each stored slot, one per
   kind stored, with the slot index as the parameter. */
#define ID_LOG_VDO 1026
#define ID_LOG_VDM 1027
#define ID_LOG_ABK 1028

/* The "Compose" dialog and its menu command. */
#define ID_COMPOSE 41300
#define IDD_COMPOSE 41301
#define IDC_COMPOSE_KIND 41302
#define IDC_COMPOSE_LINK 41303
#define IDC_COMPOSE_CHANNEL 41304
#define IDC_COMPOSE_MMSI_LABEL 41305
#define IDC_COMPOSE_MMSI 41306
#define IDC_COMPOSE_DAC_LABEL 41307
#define IDC_COMPOSE_DAC 41308
#define IDC_COMPOSE_FI_LABEL 41309
#define IDC_COMPOSE_FI 41310
#define IDC_COMPOSE_DATA_LABEL 41311
#define IDC_COMPOSE_DATA 41312
#define IDC_COMPOSE_SENTENCE_LABEL 41313
#define IDC_COMPOSE_SENTENCE 41314
#define IDC_COMPOSE_TEXT_LABEL 41315
#define IDC_COMPOSE_TEXT 41316
#define IDC_COMPOSE_TEXT_COUNT 41317
#define IDC_COMPOSE_OWN_POSITION 41318
#define IDC_COMPOSE_TIME_NOW 41319
#define IDC_COMPOSE_FIELDS 41320
#define IDC_COMPOSE_SEND 41321
#define IDC_COMPOSE_STATUS 41322
#define IDC_COMPOSE_TRANSMISSIONS_LABEL 41323
#define IDC_COMPOSE_TRANSMISSIONS 41324
/* The met/hydro field rows are made from the field table when the dialog
   opens, in this dialog only: row i's label, value, unit, "not available"
   box and raw value are IDC_COMPOSE_FIELD_ROWS + 5 * i + 0 to 4 (room for 64
   rows), the column headings IDC_COMPOSE_FIELD_ROWS + 320 on. */
#define IDC_COMPOSE_FIELD_ROWS 1000
