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
      "      into one KV XML file, written into the folder (or into DIR). A table\n"
      "      file (FOLDER/SMETA.DBF) stands for its folder.\n"
      "      --source oledb  read through the SQL data source (default)\n"
      "      --source dbf    read the DBF files directly\n"
      "      --out DIR       write the files into DIR; of folders whose files take\n"
      "                      one name there, the first given writes it and each\n"
      "                      later one fails (exit status 2)\n"
      "      -j N            convert up to N estimates at once (default 1)\n"
      "      -r, --recursive a FOLDER without SMETA.DBF is an object folder: every\n"
      "                      folder below it that holds SMETA.DBF is converted, in\n"
      "                      name order (under DIR into the same sub-folders)\n"
      "      Options that take a value take it as --out DIR or --out=DIR.\n"
      "      The log goes to stdout, each estimate's result lines after its log.\n"
      "      Ctrl-C stops the run after the row in hand: the file is written with\n"
      "      the rows converted so far, its result says it was stopped, no further\n"
      "      folder is begun; a second Ctrl-C aborts at once, writing nothing more.\n"
      "      Exit status: 0 every estimate gave its file; 1 a folder does not exist,\n"
      "      its set-up failed (missing or damaged tables) or --recursive found no\n"
      "      estimate; 2 a pass failed with an error (no file); 3 Ctrl-C stopped\n"
      "      the run; 130 a second Ctrl-C aborted it.\n"
      "\n"
      "  dump [--encoding cp866|cp1251] FILE.DBF...\n"
      "      Print every record of each table as tab-separated UTF-8 text:\n"
      "      #RECNO, #DEL and the fields. Text is decoded from the given code page\n"
      "      (default cp866). A table shorter than its header says is shown as far\n"
      "      as it goes, with a warning on stderr. Exit status 0, or 2 on error.\n"
      "\n"
      "  COMMAND --help, --help\n"
      "      Print this text.\n"
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
