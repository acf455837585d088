// Host discovery: the uninstall records of the registry turned into one
// install batch per supported host copy, plus the presets batch. Every
// skipped record worth mentioning is logged.
#pragma once

#include <atomic>
#include <cstdint>

#include "install/install_batch.h"
#include "sys/bthread.h"

// Counts the uninstall records a search has looked at, for a window to
// show while it runs.
using RecordCount = std::atomic<int32_t>;

// Empties batches, then LightWave, 3ds Max, Cinema 4D and the presets.
void SearchHosts(BatchList& batches, const StopFlag& stop, RecordCount* seen = nullptr);

void SearchLightWave(BatchList& batches, const StopFlag& stop, RecordCount* seen = nullptr);
void SearchMax(BatchList& batches, const StopFlag& stop, RecordCount* seen = nullptr);
void SearchCinema4D(BatchList& batches, const StopFlag& stop, RecordCount* seen = nullptr);
void AddPresets(BatchList& batches);

// Host versions are years or small numbers; anything from this on is no version.
constexpr double kMaxHostVersion = 100000;

// The leading number of a version text ("%f"-style scan, whatever the
// locale); false when there is none or it is not a plausible version
// (negative, not finite, kMaxHostVersion or more).
bool ParseVersion(const WChar* text, float& version);
