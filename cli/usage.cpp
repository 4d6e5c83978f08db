// The help text of ranta2kv-cli. The manual page ranta2kv-cli(1) of the Linux
// package is made from it at build time: a usage block, a description, then
// each command flush at two spaces with its lines at six.
#include "cli/commands.h"
#include "platform/console.h"

namespace ranta2kv::cli {

void PrintUsage(bool toStderr) {
  const StandardStream out = toStderr ? StandardStream::Error : StandardStream::Output;
  WriteText(out,
      "usage: ranta2kv-cli COMMAND [OPTIONS] ARGS...\n"
      "       ranta2kv-cli --version | --help\n"
      "\n"
      "Converts the DBF tables of Ranta+ estimates into KV XML estimate documents,\n"
      "as the window ranta2kv does, and shows what such tables hold.\n"
      "\n"
      "Commands:\n"
      "  convert [--source oledb|dbf] [--out DIR] [-j N] [--recursive] FOLDER...\n"
      "      Convert the estimate tables of each FOLDER (SMETA.DBF, POSEXT.DBF, ...)\n"
      "      into one KV XML file, written into the folder (or into DIR).\n"
      "      --source oledb  read through the SQL data source (default)\n"
      "      --source dbf    read the DBF files directly\n"
      "      -j N            convert up to N estimates at once (default 1)\n"
      "      -r, --recursive a FOLDER without SMETA.DBF is an object folder: every\n"
      "                      folder below it that holds SMETA.DBF is converted, in\n"
      "                      name order (under DIR into the same sub-folders)\n"
      "      The log goes to stdout, each estimate's result line after its log;\n"
      "      Ctrl-C stops the run once the estimate in hand is written, a second\n"
      "      Ctrl-C aborts. Exit status: 0 every estimate gave its file, 1 a\n"
      "      folder does not exist or its set-up failed, 2 a pass failed with\n"
      "      an error.\n"
      "\n"
      "  dump [--encoding cp866|cp1251] FILE.DBF...\n"
      "      Print every record of each table as tab-separated UTF-8 text:\n"
      "      #RECNO, #DEL and the fields. Text is decoded from the given code page\n"
      "      (default cp866). Exit status 0, or 2 on error.\n"
      "\n"
      "  --version\n"
      "      Print \"ranta2kv-cli\" and the version of the program.\n");
  FlushStream(out);
}

int RefuseArguments(const std::string& reason) {
  WriteText(StandardStream::Error, "ranta2kv-cli: " + reason + "; see ranta2kv-cli --help\n");
  FlushStream(StandardStream::Error);
  return 2;
}

}  // namespace ranta2kv::cli
