#pragma once

// FFmpeg prints to the terminal by itself ("[h264 @ 0x…] no frame!" when a
// channel changes mid-picture), for our RTSP reader and for libvlc's decoders
// alike: they share the library. This sends it to the "clipvane.ffmpeg"
// logging category instead, quiet unless asked for. Called before the first
// source opens, on the thread that opens it: the library is opened then, not
// at start. Once is enough; later calls do nothing.
void routeFfmpegLogToCategory();
