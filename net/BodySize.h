#pragma once
// A resumable download keeps its offsets and sizes in 32-bit integers (the
// package record's size, the bytes on disk): a file that would grow past
// 2 GiB - 1 is refused before a byte of it is written.
#include <windows.h>
#include <winhttp.h>

constexpr long long kLargestFileSize = 0x7FFFFFFF;

// ERROR_FILE_TOO_LARGE when the response, written from offset, announces
// (Content-Length, or the total of its Content-Range) a file larger than
// kLargestFileSize; 0 otherwise, also when it announces nothing.
int CheckAnnouncedFileSize(HINTERNET request, long long offset);
