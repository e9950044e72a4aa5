// Sources and outputs are local files and nothing else. The media library
// would read "concat:a|b", "http://host/x" or "12:30 talk.mp4" as addresses of
// its other protocols; every name here is handed to it as "file:" followed by
// the name, with "file" the only protocol it may use, so such a name is simply
// a file of that name.
#pragma once

#include <string>

struct AVFormatContext;
struct AVIOContext;
struct AVDictionary;

// The library's address of a local file: "file:" + the name's bytes.
std::string LocalFileUrl(const std::string& nativePath);

// Options that keep every open to the file protocol; the caller frees them
// (av_dict_free) unless the library took them.
AVDictionary* LocalFileOnlyOptions();

// Opens a source for reading (avformat_open_input). Returns 0 or the library's
// negative error code.
int OpenLocalInput(AVFormatContext** input, const std::string& nativePath);

// Opens a file for writing (avio_open2). Returns 0 or the library's negative
// error code.
int OpenLocalOutput(AVIOContext** output, const std::string& nativePath);

// Why a source is not a regular file ("Not a regular file (a pipe)"), or an
// empty string for a regular file and for a name that leads nowhere (the open
// then tells why). A pipe or a device could block the open for good.
std::string SourceFileProblem(const std::string& nativePath);

// The library's text for its error code (av_strerror).
std::string LibraryErrorText(int code);
// The reason to show for a library code that concerns the source: its text
// where the text is true of the file, "Invalid data in the source" for the
// generic codes a decoder or demuxer gives for data it cannot use (-1,
// "Operation not permitted", says nothing of permissions there; an end of
// file before the headers were found says nothing of the file's end).
std::string SourceErrorText(int code);
extern const char kInvalidSourceData[];
// True when the file reads from its start to its end without a read error:
// an input/output error the library reports for it then came from its data.
bool ReadsToItsEnd(const std::string& nativePath);
// The system's text for an errno value (strerror).
std::string SystemErrorText(int errorNumber);
