// Hands a selection to a conversion worker that has not been started yet.
#pragma once

#include "ProfileSelection.h"
#include "WorkerSetup.h"

// Calls worker.SetVideoParameters(Width, Height, FrameRateTable[FrameRate].Id,
// VideoQuality * 1000, VideoCodec) and then worker.SetAudioParameters(
// AudioBitrateList[AudioQuality], SampleRateList[AudioFrequency],
// ChannelTable[AudioChannels].Id, AudioFlag) and worker.SetPhoneOptions(
// SizeLimitBytes(), EvenLoudness == 1).
// Returns false, calling neither setter, when the selection holds a row
// outside its table (see HasValidRows), and false when a setter refuses its
// values; true otherwise.
bool ConfigureWorker(const ProfileSelection& selection, TWorkerSetup& worker);
