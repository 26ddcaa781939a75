// Set by the keyboard tests' main when the private X server runs.
#pragma once

extern bool XServerRunning;
