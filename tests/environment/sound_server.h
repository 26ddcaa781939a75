// Set by the sound tests' main when the private sound server runs.
#pragma once

extern bool SoundServerRunning;

// The private sound server killed as a crash would (SIGKILL), waiting until
// it has ended; and started again on the same socket, waiting until it
// accepts clients. False when that fails.
bool KillSoundServer();
bool RestartSoundServer();
