// Set by the sound tests' main when the private sound server runs.
#pragma once

extern bool SoundServerRunning;
