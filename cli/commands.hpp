// cli/commands.hpp - the subcommands of zrmoji, one source file per family.
#pragma once

namespace zrcli {

// Each takes the whole argv and the index of the first argument after the
// subcommand's name, and returns the exit status (or throws Failure).
int RunConv(int argc, char** argv, int first);
int RunBase64(int argc, char** argv, int first);
int RunQuotedPrintable(int argc, char** argv, int first);
int RunMime(int argc, char** argv, int first);
int RunMail(int argc, char** argv, int first);
int RunUrl(int argc, char** argv, int first);
int RunEbcdic(int argc, char** argv, int first);
int RunTable(int argc, char** argv, int first);
int RunGuess(int argc, char** argv, int first);
int RunList(int argc, char** argv, int first);

// Prints the help of a subcommand ("" for the overview) on stdout.
void PrintHelp(const char* command);

}  // namespace zrcli
