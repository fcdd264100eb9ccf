// The message views: for each, its template or templates, how a message
// picks one, its view code and its cell list, one row per cell (control,
// format, condition, field or message bits) in the order the view writes
// them; and which view each message type opens, from the message types'
// table.
#include <cstddef>
#include <iterator>

#include "ais/message_types.h"
#include "views/cell_formats.h"
#include "views/view_ids.h"
#include "views/view_model.h"

namespace {

#define FIELD ASM_RECORD_FIELD

constexpr FieldRef Bits(uint16_t start) {
  return {CellSource::kPayloadBits, start, 0};
}

using F = CellFormat;
using W = CellWhen;

// Messages 1, 2 and 3: the templates of 1 and 2 have the same cells; that
// of 3 holds the repeat indicator in 1091, and in 1177, where the others
// hold it, the number of slots.
constexpr CellRow kPositionReportCells[] = {
    {position_report1_cells::kRI, F::kD1, W::kSotdmaView, FIELD(repeatIndicator)},
    {position_report3_cells::kRI, F::kD1, W::kItdmaView, FIELD(repeatIndicator)},
    {position_report1_cells::kUserID, F::kD9, W::kAlways, FIELD(userId)},
    {position_report1_cells::kNvSt, F::kD1, W::kAlways, FIELD(navStatus)},
    {position_report1_cells::kROTais, F::kRot, W::kAlways, FIELD(rateOfTurn)},
    {position_report1_cells::kSOG, F::kTenths, W::kAlways, FIELD(sog)},
    {position_report1_cells::kPA, F::kD1, W::kAlways, FIELD(positionAccuracy)},
    {position_report1_cells::kLongitude, F::kLon4, W::kAlways, FIELD(longitude)},
    {position_report1_cells::kLatitude, F::kLat4, W::kAlways, FIELD(latitude)},
    {position_report1_cells::kCOG, F::kTenths, W::kAlways, FIELD(cog)},
    {position_report1_cells::kTHead, F::kD3, W::kAlways, FIELD(trueHeading)},
    {position_report1_cells::kTSTP, F::kD1, W::kAlways, FIELD(timeStamp)},
    {position_report1_cells::kSMI, F::kD1, W::kAlways, FIELD(specialManoeuvre)},
    {position_report1_cells::kS, F::kD1, W::kAlways, FIELD(spare), 0, 8},
    {position_report1_cells::kRAIM, F::kD1, W::kAlways, FIELD(raimFlag)},
    {position_report1_cells::kSS, F::kD1, W::kAlways, FIELD(syncState)},
    {position_report1_cells::kSTO, F::kD1, W::kSotdmaView, FIELD(slotTimeout)},
    {position_report1_cells::kSubMSG, F::kD4, W::kSotdmaView, FIELD(subMessage)},
    {position_report3_cells::kSInc, F::kD4, W::kItdmaView, FIELD(slotIncrement)},
    {position_report3_cells::kNSlots, F::kD1, W::kItdmaView, FIELD(numberOfSlots)},
    {position_report3_cells::kKFlag, F::kD1, W::kItdmaView, FIELD(keepFlag)},
};

constexpr CellRow kBaseStationCells[] = {
    {base_station_cells::kRI, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {base_station_cells::kUserID, F::kD9, W::kAlways, FIELD(userId)},
    {base_station_cells::kUtcY, F::kD4, W::kAlways, FIELD(utcYear)},
    {base_station_cells::kUtcMonth, F::kD1, W::kAlways, FIELD(utcMonth)},
    {base_station_cells::kUtcD, F::kD1, W::kAlways, FIELD(utcDay)},
    {base_station_cells::kUtcH, F::kD1, W::kAlways, FIELD(utcHour)},
    {base_station_cells::kUtcMinute, F::kD1, W::kAlways, FIELD(utcMinute)},
    {base_station_cells::kUtcS, F::kD1, W::kAlways, FIELD(utcSecond)},
    {base_station_cells::kLongitude, F::kLon4, W::kAlways, FIELD(longitude)},
    {base_station_cells::kLatitude, F::kLat4, W::kAlways, FIELD(latitude)},
    {base_station_cells::kEPFD, F::kD1, W::kAlways, FIELD(epfdType)},
    {base_station_cells::kTLRB, F::kD1, W::kAlways, FIELD(longRangeControl)},
    {base_station_cells::kS, F::kD1, W::kAlways, FIELD(spare), 0, 8},
    {base_station_cells::kRAIM, F::kD1, W::kAlways, FIELD(raimFlag)},
    {base_station_cells::kSS, F::kD1, W::kAlways, FIELD(syncState)},
    {base_station_cells::kSTO, F::kD1, W::kAlways, FIELD(slotTimeout)},
    {base_station_cells::kSubMSG, F::kD4, W::kAlways, FIELD(subMessage)},
};

constexpr CellRow kStaticVoyageCells[] = {
    {static_voyage_cells::kRI, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {static_voyage_cells::kUserID, F::kD9, W::kAlways, FIELD(userId)},
    {static_voyage_cells::kAisV, F::kD1, W::kAlways, FIELD(aisVersion)},
    {static_voyage_cells::kIMONum, F::kD9, W::kAlways, FIELD(imoNumber)},
    {static_voyage_cells::kCallSign, F::kText, W::kAlways, FIELD(callSign)},
    {static_voyage_cells::kNameOfShip, F::kText, W::kAlways, FIELD(name)},
    {static_voyage_cells::kTShip, F::kD1, W::kAlways, FIELD(shipType)},
    // Packed dimensions: A in bits 29-21, B in 20-12, C in 11-6, D in 5-0.
    {static_voyage_cells::kDimA, F::kD3, W::kAlways, FIELD(dimensions), 21, 9},
    {static_voyage_cells::kDimB, F::kD3, W::kAlways, FIELD(dimensions), 12, 9},
    {static_voyage_cells::kDimC, F::kD2, W::kAlways, FIELD(dimensions), 6, 6},
    {static_voyage_cells::kDimD, F::kD2, W::kAlways, FIELD(dimensions), 0, 6},
    {static_voyage_cells::kEPFD, F::kD1, W::kAlways, FIELD(epfdType)},
    // Packed ETA: month in bits 19-16, day 15-11, hour 10-6, minute 5-0.
    {static_voyage_cells::kEtaMonth, F::kD2, W::kAlways, FIELD(eta), 16, 4},
    {static_voyage_cells::kEtaD, F::kD2, W::kAlways, FIELD(eta), 11, 5},
    {static_voyage_cells::kEtaH, F::kD2, W::kAlways, FIELD(eta), 6, 5},
    {static_voyage_cells::kEtaMinute, F::kD2, W::kAlways, FIELD(eta), 0, 6},
    {static_voyage_cells::kDraught, F::kDraught, W::kAlways, FIELD(draught)},
    {static_voyage_cells::kDestination, F::kText, W::kAlways, FIELD(destination)},
    {static_voyage_cells::kDTE, F::kD1, W::kAlways, FIELD(dte)},
    {static_voyage_cells::kS, F::kD1, W::kAlways, FIELD(spare), 0, 8},
};

// Messages 7 and 13: all four pairs, absent ones as zeros.
constexpr CellRow kAcknowledgeCells[] = {
    {binary_acknowledge_cells::kRI, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {binary_acknowledge_cells::kUserID, F::kD9, W::kAlways, FIELD(userId)},
    {binary_acknowledge_cells::kS, F::kD1, W::kAlways, FIELD(spare), 0, 8},
    {binary_acknowledge_cells::kDestinationID1, F::kD9, W::kAlways, FIELD(ackDestination1)},
    {binary_acknowledge_cells::kSqID1, F::kD1, W::kAlways, FIELD(ackSequence1)},
    {binary_acknowledge_cells::kDestinationID2, F::kD9, W::kAlways, FIELD(ackDestination2)},
    {binary_acknowledge_cells::kSqID2, F::kD1, W::kAlways, FIELD(ackSequence2)},
    {binary_acknowledge_cells::kDestinationID3, F::kD9, W::kAlways, FIELD(ackDestination3)},
    {binary_acknowledge_cells::kSqID3, F::kD1, W::kAlways, FIELD(ackSequence3)},
    {binary_acknowledge_cells::kDestinationID4, F::kD9, W::kAlways, FIELD(ackDestination4)},
    {binary_acknowledge_cells::kSqID4, F::kD1, W::kAlways, FIELD(ackSequence4)},
};

// Message 18 serves two templates: 1471 (SOTDMA, commStateFlag 0) and 142
// (ITDMA); the sync state sits in 1248 in the first and 1170 in the second.
constexpr CellRow kClassBPositionCells[] = {
    {class_b_sotdma_cells::kRI, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {class_b_sotdma_cells::kUserID, F::kD9, W::kAlways, FIELD(userId)},
    {class_b_sotdma_cells::kRegional8, F::kD1, W::kAlways, FIELD(regional8)},
    {class_b_sotdma_cells::kSOG, F::kTenths, W::kAlways, FIELD(sog)},
    {class_b_sotdma_cells::kPA, F::kD1, W::kAlways, FIELD(positionAccuracy)},
    {class_b_sotdma_cells::kLongitude, F::kLon4, W::kAlways, FIELD(longitude)},
    {class_b_sotdma_cells::kLatitude, F::kLat4, W::kAlways, FIELD(latitude)},
    {class_b_sotdma_cells::kCOG, F::kTenths, W::kAlways, FIELD(cog)},
    {class_b_sotdma_cells::kTHead, F::kD3, W::kAlways, FIELD(trueHeading)},
    {class_b_sotdma_cells::kTSTP, F::kD1, W::kAlways, FIELD(timeStamp)},
    {class_b_sotdma_cells::kRegional2, F::kD1, W::kAlways, FIELD(regional2)},
    {class_b_sotdma_cells::kUnit, F::kD1, W::kUnitFlagSet, FIELD(unitFlag)},
    {class_b_sotdma_cells::kMKD, F::kD1, W::kUnitFlagSet, FIELD(displayFlag)},
    {class_b_sotdma_cells::kDSC, F::kD1, W::kUnitFlagSet, FIELD(dscFlag)},
    {class_b_sotdma_cells::kBand, F::kD1, W::kUnitFlagSet, FIELD(bandFlag)},
    {class_b_sotdma_cells::kMsg22, F::kD1, W::kUnitFlagSet, FIELD(msg22Flag)},
    {class_b_sotdma_cells::kMode, F::kD1, W::kUnitFlagSet, FIELD(modeFlag)},
    {class_b_sotdma_cells::kRAIM, F::kD1, W::kAlways, FIELD(raimFlag)},
    {class_b_sotdma_cells::kCF, F::kD1, W::kAlways, FIELD(commStateFlag)},
    {class_b_sotdma_cells::kSS, F::kD1, W::kSotdmaState, FIELD(syncState)},
    {class_b_itdma_cells::kSS, F::kD1, W::kItdmaState, FIELD(syncState)},
    {class_b_sotdma_cells::kSTO, F::kD1, W::kSotdmaState, FIELD(slotTimeout)},
    {class_b_sotdma_cells::kSubMSG, F::kD4, W::kSotdmaState, FIELD(subMessage)},
    {class_b_itdma_cells::kSInc, F::kD4, W::kItdmaState, FIELD(slotIncrement)},
    {class_b_itdma_cells::kNSlots, F::kD1, W::kItdmaState, FIELD(numberOfSlots)},
    {class_b_itdma_cells::kKF, F::kD1, W::kItdmaState, FIELD(keepFlag)},
};

constexpr CellRow kAtonReportCells[] = {
    {aton_report_cells::kRI, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {aton_report_cells::kUserID, F::kD9, W::kAlways, FIELD(userId)},
    {aton_report_cells::kAType, F::kD3, W::kAlways, FIELD(atonType)},
    {aton_report_cells::kAidsToNavigationName, F::kText, W::kAlways, FIELD(name)},
    {aton_report_cells::kPA, F::kD1, W::kAlways, FIELD(positionAccuracy)},
    {aton_report_cells::kLongitude, F::kLon4, W::kAlways, FIELD(longitude)},
    {aton_report_cells::kLatitude, F::kLat4, W::kAlways, FIELD(latitude)},
    {aton_report_cells::kDimA, F::kD3, W::kAlways, FIELD(dimensions), 21, 9},
    {aton_report_cells::kDimB, F::kD3, W::kAlways, FIELD(dimensions), 12, 9},
    {aton_report_cells::kDimC, F::kD2, W::kAlways, FIELD(dimensions), 6, 6},
    {aton_report_cells::kDimD, F::kD2, W::kAlways, FIELD(dimensions), 0, 6},
    {aton_report_cells::kEPFD, F::kD1, W::kAlways, FIELD(epfdType)},
    {aton_report_cells::kTSP, F::kD1, W::kAlways, FIELD(timeStamp)},
    {aton_report_cells::kOffP, F::kD1, W::kAlways, FIELD(offPosition)},
    {aton_report_cells::kAtoNstatus, F::kBits, W::kAlways, FIELD(atonStatus)},
    {aton_report_cells::kRAIM, F::kD1, W::kAlways, FIELD(raimFlag)},
    {aton_report_cells::kVPF, F::kD1, W::kAlways, FIELD(virtualFlag)},
    {aton_report_cells::kAS, F::kD1, W::kAlways, FIELD(assignedFlag)},
    {aton_report_cells::kSpare, F::kD1, W::kAlways, FIELD(spare), 0, 8},
    {aton_report_cells::kAidsToNavigationExtendedName, F::kText, W::kAlways, FIELD(nameExtension)},
    {aton_report_cells::kExtensionSpare, F::kD1, W::kAlways, FIELD(spare), 0, 8},
};

constexpr CellRow kStaticDataCells[] = {
    {static_data_b_cells::kRI, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {static_data_b_cells::kUserID, F::kD9, W::kAlways, FIELD(userId)},
    {static_data_b_cells::kPartNum, F::kD1, W::kAlways, FIELD(partNumber)},
    {static_data_a_cells::kNameOfShip, F::kText, W::kPartA, FIELD(name)},
    {static_data_b_cells::kTShip, F::kD1, W::kPartB, FIELD(shipType)},
    {static_data_b_cells::kVendorID, F::kText, W::kPartB, FIELD(vendorId)},
    {static_data_b_cells::kCallSign, F::kText, W::kPartB, FIELD(callSign)},
    {static_data_b_cells::kDimA, F::kD3, W::kPartB, FIELD(dimensions), 21, 9},
    {static_data_b_cells::kDimB, F::kD3, W::kPartB, FIELD(dimensions), 12, 9},
    {static_data_b_cells::kDimC, F::kD2, W::kPartB, FIELD(dimensions), 6, 6},
    {static_data_b_cells::kDimE, F::kD2, W::kPartB, FIELD(dimensions), 0, 6},
};

constexpr CellRow kAbkCells[] = {
    {abk_cells::kDestinationID, F::kNumber, W::kAlways, FIELD(destinationId)},
    {abk_cells::kRxCH, F::kChar, W::kAlways, FIELD(rxChannel)},
    {abk_cells::kMsgType, F::kNumber, W::kAlways, FIELD(messageId)},
    {abk_cells::kSeqNum, F::kNumber, W::kAlways, FIELD(sequenceNumber)},
    {abk_cells::kTypeOfAck, F::kNumber, W::kAlways, FIELD(ackType)},
};

// Message 6, DAC 1, FI 32: header from the record, the UTC date and up to
// three windows of 88 bits from the message bits. Small numbers print as the
// other views print them, times as two digits (as the ETA cells), direction
// unpadded and speed (0.1 knot) like SOG.
constexpr CellRow kTidalWindowCells[] = {
    {tidal_window_cells::kMessageID, F::kD1, W::kAlways, FIELD(messageId)},
    {tidal_window_cells::kRepeatIndicator, F::kD1, W::kAlways, FIELD(repeatIndicator)},
    {tidal_window_cells::kSourceID, F::kD9, W::kAlways, FIELD(userId)},
    {tidal_window_cells::kSeqNumber, F::kD1, W::kAlways, FIELD(sequenceNumber)},
    {tidal_window_cells::kDestinationID, F::kD9, W::kAlways, FIELD(destinationId)},
    {tidal_window_cells::kRtxFlag, F::kD1, W::kAlways, FIELD(retransmitFlag)},
    {tidal_window_cells::kSpare, F::kD1, W::kAlways, FIELD(spare), 0, 8},
    {tidal_window_cells::kDAC, F::kNumber, W::kAlways, FIELD(dacFi), 6, 10},
    {tidal_window_cells::kFI, F::kNumber, W::kAlways, FIELD(dacFi), 0, 6},
    {tidal_window_cells::kUtcMonth, F::kD2, W::kAlways, Bits(88), 0, 4},
    {tidal_window_cells::kUtcDay, F::kD2, W::kAlways, Bits(92), 0, 5},
    // Window 1: longitude, latitude, from hour and minute, to hour and minute, direction, speed.
    {tidal_window_cells::kPosition1Longitude, F::kLon3, W::kAlways, Bits(97), 0, 25},
    {tidal_window_cells::kPosition1Latitude, F::kLat3, W::kAlways, Bits(122), 0, 24},
    {tidal_window_cells::kFromUtcHour1, F::kD2, W::kAlways, Bits(146), 0, 5},
    {tidal_window_cells::kFromUtcMin1, F::kD2, W::kAlways, Bits(151), 0, 6},
    {tidal_window_cells::kToUtcHour1, F::kD2, W::kAlways, Bits(157), 0, 5},
    {tidal_window_cells::kToUtcMin1, F::kD2, W::kAlways, Bits(162), 0, 6},
    {tidal_window_cells::kCurrDirectionPred1, F::kNumber, W::kAlways, Bits(168), 0, 9},
    {tidal_window_cells::kCurrSpeedPrediction1, F::kTenths, W::kAlways, Bits(177), 0, 8},
    // Window 2.
    {tidal_window_cells::kPosition2Longitude, F::kLon3, W::kAlways, Bits(185), 0, 25},
    {tidal_window_cells::kPosition2Latitude, F::kLat3, W::kAlways, Bits(210), 0, 24},
    {tidal_window_cells::kFromUtcHour2, F::kD2, W::kAlways, Bits(234), 0, 5},
    {tidal_window_cells::kFromUtcMin2, F::kD2, W::kAlways, Bits(239), 0, 6},
    {tidal_window_cells::kToUtcHour2, F::kD2, W::kAlways, Bits(245), 0, 5},
    {tidal_window_cells::kToUtcMin2, F::kD2, W::kAlways, Bits(250), 0, 6},
    {tidal_window_cells::kCurrDirectionPred2, F::kNumber, W::kAlways, Bits(256), 0, 9},
    {tidal_window_cells::kCurrSpeedPrediction2, F::kTenths, W::kAlways, Bits(265), 0, 8},
    // Window 3.
    {tidal_window_cells::kPosition3Longitude, F::kLon3, W::kAlways, Bits(273), 0, 25},
    {tidal_window_cells::kPosition3Latitude, F::kLat3, W::kAlways, Bits(298), 0, 24},
    {tidal_window_cells::kFromUtcHour3, F::kD2, W::kAlways, Bits(322), 0, 5},
    {tidal_window_cells::kFromUtcMin3, F::kD2, W::kAlways, Bits(327), 0, 6},
    {tidal_window_cells::kToUtcHour3, F::kD2, W::kAlways, Bits(333), 0, 5},
    {tidal_window_cells::kToUtcMin3, F::kD2, W::kAlways, Bits(338), 0, 6},
    {tidal_window_cells::kCurrDirectionPred3, F::kNumber, W::kAlways, Bits(344), 0, 9},
    {tidal_window_cells::kCurrSpeedPrediction3, F::kTenths, W::kAlways, Bits(353), 0, 8},
};

// Message 8, DAC 1, FI 31: every value straight from the message bits, raw.
constexpr CellRow kMetHydroCells[] = {
    {met_hydro_cells::kMsg, F::kNumber, W::kAlways, Bits(0), 0, 6},
    {met_hydro_cells::kRI, F::kNumber, W::kAlways, Bits(6), 0, 2},
    {met_hydro_cells::kUserID, F::kNumber, W::kAlways, Bits(8), 0, 30},
    {met_hydro_cells::kSpare, F::kNumber, W::kAlways, Bits(38), 0, 2},
    {met_hydro_cells::kDAC, F::kNumber, W::kAlways, Bits(40), 0, 10},
    {met_hydro_cells::kFI, F::kNumber, W::kAlways, Bits(50), 0, 6},
    {met_hydro_cells::kLatitude, F::kLat3, W::kAlways, Bits(81), 0, 24},
    {met_hydro_cells::kLongitude, F::kLon3, W::kAlways, Bits(56), 0, 25},
    {met_hydro_cells::kUTCDdhhmm, F::kDayHourMinute, W::kAlways, Bits(106), 0, 16},
    {met_hydro_cells::kAvWindSpd, F::kNumber, W::kAlways, Bits(122), 0, 7},
    {met_hydro_cells::kWindGust, F::kNumber, W::kAlways, Bits(129), 0, 7},
    {met_hydro_cells::kWindDir, F::kNumber, W::kAlways, Bits(136), 0, 9},
    {met_hydro_cells::kWindGustDir, F::kNumber, W::kAlways, Bits(145), 0, 9},
    {met_hydro_cells::kAirTemp, F::kSigned, W::kAlways, Bits(154), 0, 11},
    {met_hydro_cells::kRelHumidity, F::kNumber, W::kAlways, Bits(165), 0, 7},
    {met_hydro_cells::kDewPoint, F::kSigned, W::kAlways, Bits(172), 0, 10},
    {met_hydro_cells::kAirPressure, F::kNumber, W::kAlways, Bits(182), 0, 9},
    {met_hydro_cells::kAirPresTnd, F::kNumber, W::kAlways, Bits(191), 0, 2},
    {met_hydro_cells::kHorVisibility, F::kNumber, W::kAlways, Bits(193), 0, 8},
    {met_hydro_cells::kWLvlIncTide, F::kNumber, W::kAlways, Bits(201), 0, 12},
    {met_hydro_cells::kWLvlTrend, F::kNumber, W::kAlways, Bits(213), 0, 2},
    {met_hydro_cells::kSurfCurSpd, F::kNumber, W::kAlways, Bits(215), 0, 8},
    {met_hydro_cells::kSurfCurDir, F::kNumber, W::kAlways, Bits(223), 0, 9},
    {met_hydro_cells::kCurSpd2, F::kNumber, W::kAlways, Bits(232), 0, 8},
    {met_hydro_cells::kCurDir2, F::kNumber, W::kAlways, Bits(240), 0, 9},
    {met_hydro_cells::kCurMesLvl2, F::kNumber, W::kAlways, Bits(249), 0, 5},
    {met_hydro_cells::kCurSpd3, F::kNumber, W::kAlways, Bits(254), 0, 8},
    {met_hydro_cells::kCurDir3, F::kNumber, W::kAlways, Bits(262), 0, 9},
    {met_hydro_cells::kCurMesLvl3, F::kNumber, W::kAlways, Bits(271), 0, 5},
    {met_hydro_cells::kSigWavHgt, F::kNumber, W::kAlways, Bits(276), 0, 8},
    {met_hydro_cells::kWavePerod, F::kNumber, W::kAlways, Bits(284), 0, 6},
    {met_hydro_cells::kWaveDir, F::kNumber, W::kAlways, Bits(290), 0, 9},
    {met_hydro_cells::kSwellHeight, F::kNumber, W::kAlways, Bits(299), 0, 8},
    {met_hydro_cells::kSwellPeriod, F::kNumber, W::kAlways, Bits(307), 0, 6},
    {met_hydro_cells::kSwellDir, F::kNumber, W::kAlways, Bits(313), 0, 9},
    {met_hydro_cells::kSeaState, F::kNumber, W::kAlways, Bits(322), 0, 4},
    {met_hydro_cells::kWaterTemp, F::kNumber, W::kAlways, Bits(326), 0, 10},  // shown unsigned, as transmitted
    {met_hydro_cells::kPrecipType, F::kNumber, W::kAlways, Bits(336), 0, 3},
    {met_hydro_cells::kSalinity, F::kNumber, W::kAlways, Bits(339), 0, 9},
    {met_hydro_cells::kIce, F::kNumber, W::kAlways, Bits(348), 0, 2},
    {met_hydro_cells::kLastSpare, F::kNumber, W::kAlways, Bits(350), 0, 10},
};

#undef FIELD

template <size_t N>
constexpr CellList Cells(const CellRow (&rows)[N]) {
  return {rows, static_cast<int>(N)};
}

constexpr uint16_t DacFi(int dac, int fi) {
  return static_cast<uint16_t>(dac << 6 | fi);
}

namespace templates = view_template;

// The views a message type's row in the message types' table names.
constexpr MessageView kGenericView = {.pick = ViewPick::kGeneric};
constexpr MessageView kPositionReport1View = {.pick = ViewPick::kFixed,
                                              .templateId = templates::kPositionReport1,
                                              .viewCode = 1,
                                              .cells = Cells(kPositionReportCells)};
constexpr MessageView kPositionReport2View = {.pick = ViewPick::kFixed,
                                              .templateId = templates::kPositionReport2,
                                              .viewCode = 2,
                                              .cells = Cells(kPositionReportCells)};
constexpr MessageView kPositionReport3View = {.pick = ViewPick::kFixed,
                                              .templateId = templates::kPositionReport3,
                                              .viewCode = 3,
                                              .cells = Cells(kPositionReportCells)};
constexpr MessageView kBaseStationView = {
    .pick = ViewPick::kFixed, .templateId = templates::kBaseStation, .viewCode = 4, .cells = Cells(kBaseStationCells)};
constexpr MessageView kStaticVoyageView = {.pick = ViewPick::kFixed,
                                           .templateId = templates::kStaticVoyage,
                                           .viewCode = 5,
                                           .cells = Cells(kStaticVoyageCells)};
constexpr MessageView kTidalWindowView = {.pick = ViewPick::kApplication,
                                          .templateId = templates::kTidalWindow,
                                          .viewCode = kViewTidalWindow,
                                          .dacFi = DacFi(1, 32),
                                          .cells = Cells(kTidalWindowCells)};
constexpr MessageView kBinaryAcknowledgeView = {.pick = ViewPick::kFixed,
                                                .templateId = templates::kBinaryAcknowledge,
                                                .viewCode = 7,
                                                .cells = Cells(kAcknowledgeCells)};
constexpr MessageView kMetHydroView = {.pick = ViewPick::kApplication,
                                       .templateId = templates::kMetHydro,
                                       .viewCode = kViewMetHydro,
                                       .dacFi = DacFi(1, 31),
                                       .cells = Cells(kMetHydroCells)};
constexpr MessageView kSafetyAcknowledgeView = {.pick = ViewPick::kFixed,
                                                .templateId = templates::kSafetyAcknowledge,
                                                .viewCode = 13,
                                                .cells = Cells(kAcknowledgeCells)};
constexpr MessageView kClassBView = {.pick = ViewPick::kCommState,
                                     .templateId = templates::kClassBSotdma,
                                     .otherTemplateId = templates::kClassBItdma,
                                     .viewCode = 18,
                                     .cells = Cells(kClassBPositionCells)};
constexpr MessageView kAtonReportView = {
    .pick = ViewPick::kFixed, .templateId = templates::kAtonReport, .viewCode = 21, .cells = Cells(kAtonReportCells)};
// Part numbers 2 and 3 decode as part B but open the part A template.
constexpr MessageView kStaticDataView = {.pick = ViewPick::kPartNumber,
                                         .templateId = templates::kStaticDataA,
                                         .otherTemplateId = templates::kStaticDataB,
                                         .viewCode = 24,
                                         .cells = Cells(kStaticDataCells)};

// The acknowledgement's view, which no message type names: an ABK opens it.
constexpr MessageView kAbkView = {
    .pick = ViewPick::kFixed, .templateId = templates::kAbk, .viewCode = kViewAbk, .cells = Cells(kAbkCells)};

struct TypeView {
  int messageId;
  const MessageView* view;
};
#define ASM_TYPE_VIEW(id, title, decoder, view, encoder) {id, &view},
constexpr TypeView kTypeViews[] = {ASM_MESSAGE_TYPES(ASM_TYPE_VIEW)};
#undef ASM_TYPE_VIEW

// The cells of the view with code `viewCode`; none for a code no view has.
constexpr CellList CellsOfView(int viewCode) {
  if (viewCode == kAbkView.viewCode) return kAbkView.cells;
  for (const TypeView& type : kTypeViews)
    if (type.view->pick != ViewPick::kGeneric && type.view->viewCode == viewCode) return type.view->cells;
  return {};
}

// Every list fits the caller's cell array.
constexpr bool ListsFit() {
  for (const TypeView& type : kTypeViews)
    if (type.view->cells.count > kMaxViewCells) return false;
  return kAbkView.cells.count <= kMaxViewCells;
}
static_assert(ListsFit(), "a cell list is longer than kMaxViewCells");

bool CellWanted(CellWhen when, int viewCode, const DecodedMessage& record) {
  switch (when) {
    case CellWhen::kAlways:
      return true;
    case CellWhen::kSotdmaView:
      return viewCode != 3;
    case CellWhen::kItdmaView:
      return viewCode == 3;
    case CellWhen::kUnitFlagSet:
      return record.unitFlag != 0;
    case CellWhen::kSotdmaState:
      return record.commStateFlag == 0;
    case CellWhen::kItdmaState:
      return record.commStateFlag != 0;
    case CellWhen::kPartA:
      return record.partNumber == 0;
    case CellWhen::kPartB:
      return record.partNumber != 0;
  }
  return false;
}

}  // namespace

const MessageView* MessageViewOf(int messageId) {
  for (const TypeView& type : kTypeViews)
    if (type.messageId == messageId) return type.view;
  return nullptr;
}

const MessageView* AbkView() {
  return &kAbkView;
}

int FillViewCells(int viewCode, const DecodedMessage& record, ViewCell* cells) {
  const CellList list = CellsOfView(viewCode);
  int count = 0;
  for (int i = 0; i < list.count; ++i) {
    const CellRow& row = list.rows[i];
    if (!CellWanted(row.when, viewCode, record)) continue;
    cells[count].controlId = row.controlId;
    FormatCell(row, record, cells[count].text, sizeof cells[count].text);
    ++count;
  }
  return count;
}
