// The AIS message types the system knows, one row each: its id, its title
// in ITU-R M.1371, its decoder, the view a click on it opens and how the
// simulator encodes it. Every list that must agree on the message types
// expands this table for the columns it needs, so that a new type is one row
// here (and the decoder, view or encoder the row names):
//  - the decoders by id (ais/decode_message.cpp) and the ids the field table
//    gives the header to (ais/decoded_fields.cpp);
//  - the titles (MessageTypeTitle, for the generic view);
//  - the views (views/view_cells.cpp: the row names a MessageView there;
//    kGenericView for a type without a template of its own, which only the
//    generic view shows);
//  - the simulator's packers (sim/vdm_encoder.cpp: the row names a packer
//    there, kNoEncoder for a type it does not send);
//  - the corpus test, which expects a message of every type.
// A file that expands the table uses only the columns it knows; the names
// in the others need not exist there.
#pragma once

// clang-format off
#define ASM_MESSAGE_TYPES(TYPE)                                                                                                                        \
  /*   id  title                                                      decoder                       view                     encoder */                \
  TYPE( 1, "Position report",                                         DecodePositionReport,         kPositionReport1View,    PackPositionReportSotdma) \
  TYPE( 2, "Position report",                                         DecodePositionReport,         kPositionReport2View,    PackPositionReportSotdma) \
  TYPE( 3, "Position report",                                         DecodePositionReport,         kPositionReport3View,    PackPositionReportItdma)  \
  TYPE( 4, "UTC and position report from base station",               DecodeBaseStation,            kBaseStationView,        PackBaseStation)          \
  TYPE( 5, "Ship static and voyage related data",                     DecodeStaticVoyage,           kStaticVoyageView,       PackStaticVoyage)         \
  TYPE( 6, "Binary addressed message",                                DecodeAddressedBinary,        kTidalWindowView,        PackAddressedBinary)      \
  TYPE( 7, "Binary acknowledge",                                      DecodeAcknowledge,            kBinaryAcknowledgeView,  PackAcknowledge)          \
  TYPE( 8, "Binary broadcast message",                                DecodeBroadcastBinary,        kMetHydroView,           PackBroadcast)            \
  TYPE( 9, "Standard SAR aircraft position report",                   DecodeSarAircraftPosition,    kGenericView,            kNoEncoder)               \
  TYPE(10, "UTC/date inquiry",                                        DecodeUtcInquiry,             kGenericView,            kNoEncoder)               \
  /* The UTC and date response reads like a base station report. */                                                                                    \
  TYPE(11, "UTC/date response",                                       DecodeBaseStation,            kGenericView,            kNoEncoder)               \
  /* An addressed safety text sits where an addressed binary's data does. */                                                                           \
  TYPE(12, "Addressed safety related message",                        DecodeAddressedSafety,        kGenericView,            PackAddressedBinary)      \
  TYPE(13, "Safety related acknowledge",                              DecodeAcknowledge,            kSafetyAcknowledgeView,  PackAcknowledge)          \
  /* A safety broadcast's text sits where a binary broadcast's data does. */                                                                           \
  TYPE(14, "Safety related broadcast message",                        DecodeBroadcastSafety,        kGenericView,            PackBroadcast)            \
  TYPE(15, "Interrogation",                                           DecodeInterrogation,          kGenericView,            kNoEncoder)               \
  TYPE(16, "Assigned mode command",                                   DecodeAssignedModeCommand,    kGenericView,            kNoEncoder)               \
  TYPE(17, "DGNSS broadcast binary message",                          DecodeDgnssBroadcast,         kGenericView,            kNoEncoder)               \
  TYPE(18, "Standard class B equipment position report",              DecodeClassBPosition,         kClassBView,             PackClassBPosition)       \
  TYPE(19, "Extended class B equipment position report",              DecodeExtendedClassBPosition, kGenericView,            kNoEncoder)               \
  TYPE(20, "Data link management message",                            DecodeDataLinkManagement,     kGenericView,            kNoEncoder)               \
  TYPE(21, "Aids-to-navigation report",                               DecodeAtonReport,             kAtonReportView,         PackAtonReport)           \
  TYPE(22, "Channel management",                                      DecodeChannelManagement,      kGenericView,            kNoEncoder)               \
  TYPE(23, "Group assignment command",                                DecodeGroupAssignment,        kGenericView,            kNoEncoder)               \
  TYPE(24, "Static data report",                                      DecodeStaticDataReport,       kStaticDataView,         PackStaticDataReport)     \
  TYPE(25, "Single slot binary message",                              DecodeSingleSlotBinary,       kGenericView,            kNoEncoder)               \
  TYPE(26, "Multiple slot binary message with communications state",  DecodeMultipleSlotBinary,     kGenericView,            kNoEncoder)               \
  TYPE(27, "Position report for long-range applications",             DecodeLongRangeBroadcast,     kGenericView,            kNoEncoder)
// clang-format on

// The title of message type `id` in ITU-R M.1371 ("Position report"), or
// nullptr for an id the table lacks.
const char* MessageTypeTitle(int id);
