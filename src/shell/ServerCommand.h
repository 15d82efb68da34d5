#pragma once
// The server's setup from the command line, run with the database owner's
// connection string (JADL_DATABASE or the configuration file):
//   jadlonia --przygotuj-serwer               tables, roles, policies, history
//   jadlonia --dodaj-stanowisko LOGIN SYMBOL  a login as the site of a restaurant
//   jadlonia --dodaj-centrale LOGIN           a login as the head office
// What was done goes to standard output in Polish, errors to standard error;
// exit 0 on success, 1 on failure, 2 on wrong arguments.

namespace jadl {

bool isServerCommand(int argc, char** argv);
int runServerCommand(int argc, char** argv);

} // namespace jadl
