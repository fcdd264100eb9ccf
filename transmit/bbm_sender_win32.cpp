// The BBM menu commands: stamp the met/hydro report with the UTC clock and
// the own MMSI, pack it, and hand its bytes from the DAC on to the BBM
// encoder, which writes each sentence to the chosen link. Main thread only.
#include "transmit/bbm_sender_win32.h"

#include "app/shell_win32.h"
#include "serial/serial_link_win32.h"
#include "transmit/bbm.h"
#include "transmit/met_hydro.h"

int32_t bbmSequenceCounter;

namespace {

constexpr int kBbmChannel = 1;          // broadcast on both AIS channels
constexpr int kBbmMessageId = 8;        // binary broadcast
constexpr int kMessageHeaderBytes = 5;  // id, repeat, source MMSI, spare: not carried by BBM

MetHydroReport metHydroReport;
// The packed message outlives the call only until the encoder has copied it
// into its sentence buffers; static so that nothing is allocated per send.
uint8_t transmitBuffer[kMetHydroMessageBytes];

void WriteToLink(void*, const char* text, int length, int target) {
  WriteLink(target == 1 ? kLinkNmea2000 : kLinkPresentation, text, length);
}

}  // namespace

void SendMetHydroBroadcast(HWND window, int target) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  RefreshMetHydroReport(&metHydroReport, now.wDay, now.wHour, now.wMinute, messageLog.ownMmsi);
  int length = PackMetHydroPayload(&metHydroReport, transmitBuffer);
  if (length < kMessageHeaderBytes) length = kMessageHeaderBytes;  // nothing to send rather than a negative count

  // Counting modulo 10 keeps the identifier sequence unbroken for any number
  // of transmissions, where a plain signed count would overflow.
  int sequentialId = bbmSequenceCounter % 10;
  bbmSequenceCounter = (sequentialId + 1) % 10;

  BbmWriter writer{WriteToLink, nullptr};
  SendBinaryBroadcast(&writer, transmitBuffer + kMessageHeaderBytes,
                      static_cast<uint16_t>(length - kMessageHeaderBytes), kBbmChannel, sequentialId, kBbmMessageId,
                      target);
  SendMessageA(window, WM_COMMAND, ID_BBM_SENT, 0);
}
