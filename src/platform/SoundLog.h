#pragma once

// The sound library under the audio output prints its errors to the terminal
// by itself (on a machine without a sound card, a screen of them at every
// open). This sends them to the "clipvane.sound" logging category instead,
// quiet unless asked for. Does nothing where there is no such library.
void routeSoundLibraryMessagesToLog();
