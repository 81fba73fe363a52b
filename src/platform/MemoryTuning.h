#pragma once

// How the C library's allocator keeps memory, chosen for a player whose media
// engine starts and ends dozens of short-lived threads at every channel
// change. One implementation file per platform.

// Call once at start, before other threads exist: bounds the number of
// per-thread heaps the allocator keeps.
void limitAllocatorArenas();
// Hands memory freed by a channel that went away back to the system; may take
// a few milliseconds, so never on the window's thread.
void returnFreedMemory();
