// The plug-in library's own handle: its base address in the host process.
// Set when the library is loaded, before the host can call the entry point;
// the toolkit uses it to name its window class and to find its resources.
#pragma once

extern void* moduleHandle;
