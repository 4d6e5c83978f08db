// The console of the command-line program: whether a standard stream is a console
// (a terminal) or a file or pipe, UTF-8 text written so that it reads right on a
// console and stays UTF-8 bytes in a file or pipe, and Ctrl-C as a stop request.
#pragma once

#include <string_view>

namespace ranta2kv {

enum class StandardStream { Output, Error };

// Called once at program entry, before any output: the standard streams then
// write bytes as given, with no translation of line ends.
void PrepareStandardStreams();

// For a program without a console of its own (the Windows window): its standard
// output goes to the console it was started from, when it goes to no file or
// pipe. Nothing to do where every program has its standard streams.
void UseParentConsole();

// True when the stream is a console or terminal.
bool IsConsole(StandardStream stream);

// Writes UTF-8 text to the stream: as characters on a console, as the bytes
// themselves to a file or pipe (buffered; FlushStream writes them out). False
// when the write failed.
bool WriteText(StandardStream stream, std::string_view utf8);
bool FlushStream(StandardStream stream);

// From now on Ctrl-C (and Ctrl-Break where there is one) counts as a stop
// request; the second one ends the process at once with exit status 130.
void CatchStopRequests();
int StopRequests();

}  // namespace ranta2kv
