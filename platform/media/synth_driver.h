// The media driver that plays MIDI songs: FluidSynth renders them with a General MIDI SoundFont and
// SDL's audio device plays the sound. Only this folder includes FluidSynth or SDL audio headers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/media/media_driver.h"

// The sound the driver gives SDL: signed 16-bit native-endian samples, interleaved stereo.
constexpr int kSynthSampleRate = 44100;
constexpr int kSynthChannels = 2;

// Debian's General MIDI SoundFonts, in the order they are tried.
std::vector<std::string> DefaultSoundFonts();

// A new driver that loads the first SoundFont of `soundfonts` that exists. The synthesizer and the
// audio device start with the first song opened; destroying the driver closes the device and
// releases SDL's audio subsystem. A song file that is not there fails the open silently; one that
// cannot be read, is empty or is not a MIDI file, a missing SoundFont or no audio device each fail
// the open and print one line on standard error, once.
std::unique_ptr<MediaDriver> CreateSynthMediaDriver(std::vector<std::string> soundfonts = DefaultSoundFonts());
