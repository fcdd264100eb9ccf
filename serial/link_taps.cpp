// The taps' fixed list: one atomic pointer per place, so that a reader sees
// each tap whole or not at all.
#include "serial/link_taps.h"

bool AttachLinkTap(LinkTapList* list, const LinkTap* tap) {
  std::atomic<const LinkTap*>* free = nullptr;
  for (std::atomic<const LinkTap*>& place : list->taps) {
    const LinkTap* held = place.load(std::memory_order_relaxed);
    if (held == tap) return false;
    if (held == nullptr && free == nullptr) free = &place;
  }
  if (free == nullptr) return false;
  free->store(tap, std::memory_order_release);
  return true;
}

void DetachLinkTap(LinkTapList* list, const LinkTap* tap) {
  for (std::atomic<const LinkTap*>& place : list->taps)
    if (place.load(std::memory_order_relaxed) == tap) place.store(nullptr, std::memory_order_release);
}

void TapReceived(const LinkTapList* list, int link, const uint8_t* bytes, int count) {
  for (const std::atomic<const LinkTap*>& place : list->taps) {
    const LinkTap* tap = place.load(std::memory_order_acquire);
    if (tap != nullptr && tap->received != nullptr) tap->received(tap->context, link, bytes, count);
  }
}

void TapWrote(const LinkTapList* list, int link, const uint8_t* bytes, int count, LinkWriteResult result) {
  for (const std::atomic<const LinkTap*>& place : list->taps) {
    const LinkTap* tap = place.load(std::memory_order_acquire);
    if (tap != nullptr && tap->wrote != nullptr) tap->wrote(tap->context, link, bytes, count, result);
  }
}

void TapLinkState(const LinkTapList* list, int link, const char* portName) {
  for (const std::atomic<const LinkTap*>& place : list->taps) {
    const LinkTap* tap = place.load(std::memory_order_acquire);
    if (tap != nullptr && tap->state != nullptr) tap->state(tap->context, link, portName);
  }
}
