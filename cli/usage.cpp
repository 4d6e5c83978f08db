// The help text of ranta2kv-cli.
#include "cli/commands.h"
#include "platform/console.h"

namespace ranta2kv::cli {

void PrintUsage(bool toStderr) {
  const StandardStream out = toStderr ? StandardStream::Error : StandardStream::Output;
  WriteText(out,
      "usage: ranta2kv-cli COMMAND [OPTIONS] ARGS...\n"
      "\n"
      "Commands:\n"
      "  convert [--source oledb|dbf] [--out DIR] [-j N] FOLDER...\n"
      "      Convert the estimate tables of each FOLDER (SMETA.DBF, POSEXT.DBF, ...)\n"
      "      into one KV XML file, written into the folder (or into DIR).\n"
      "      --source oledb  read through the SQL data source (default)\n"
      "      --source dbf    read the DBF files directly\n"
      "      -j N            convert up to N folders at once (default 1)\n"
      "      The log goes to stdout; Ctrl-C stops a run and still writes the file,\n"
      "      a second Ctrl-C aborts. Exit status: 0 every folder gave its file,\n"
      "      1 a set-up failed, 2 a pass failed with an error.\n"
      "\n"
      "  dump [--encoding cp866|cp1251] FILE.DBF...\n"
      "      Print every record of each table as tab-separated UTF-8 text:\n"
      "      #RECNO, #DEL and the fields. Text is decoded from the given code page\n"
      "      (default cp866). Exit status 0, or 2 on error.\n");
  FlushStream(out);
}

}  // namespace ranta2kv::cli
