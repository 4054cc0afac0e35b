#pragma once
#include <string>

// NTFS compression of files and folders. A compressed folder hands its compression to every
// file made in it, and a compressed file of zeros takes next to no space.

// Turns compression off (FSCTL_SET_COMPRESSION, COMPRESSION_FORMAT_NONE) on a file opened for
// reading and writing its data: 0 on success, else the error (ERROR_INVALID_FUNCTION or
// ERROR_NOT_SUPPORTED where the file system has no compression).
unsigned long ClearCompression(void* handle);
// The same for a folder or file by its path.
unsigned long ClearCompressionOf(const std::string& path);
// The attributes (FILE_ATTRIBUTE_*) of what an open handle names; 0 when they cannot be read.
unsigned long AttributesOfHandle(void* handle);
