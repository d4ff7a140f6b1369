// kvsnmppass: serves a test printer's objects to snmpd as a persistent pass program.
//
//     pass_persist SUBTREE /path/kvsnmppass OBJECTS-FILE SUBTREE
//
// snmpd writes requests on our standard input and reads the answers from our standard
// output, one field a line:
//     PING                      -> PONG
//     get, OID                  -> OID, TYPE, VALUE   or NONE
//     getnext, OID              -> the next object inside SUBTREE, or NONE
//     set, OID, "TYPE VALUE"    -> DONE, not-writable or wrong-type
// The objects file is read again for every request, so a test can change the printer
// between requests; an accepted set is written back to it. See ObjectTable.h for its form.
#include <cstdio>
#include <iostream>
#include <string>

#include "tools/snmp/ObjectTable.h"

namespace {

using snmptool::ObjectTable;
using snmptool::OidArcs;

bool IsNumeric(const std::string& type) {
    return type == "integer" || type == "gauge" || type == "counter" || type == "timeticks";
}

bool IsText(const std::string& type) { return type == "string" || type == "octet"; }

void Send(const std::string& line) { std::cout << line << '\n'; }

void SendObject(const OidArcs& name, const snmptool::ServedObject& object) {
    Send(snmptool::FormatOidText(name));
    Send(object.type);
    Send(object.value);
}

class Server {
public:
    Server(std::string path, OidArcs subtree) : path_(std::move(path)), subtree_(std::move(subtree)) {}

    void Get(const std::string& nameText) {
        const auto name = snmptool::ParseOidText(nameText);
        const ObjectTable table = snmptool::LoadObjects(path_);
        const auto found = name ? table.find(*name) : table.end();
        if (found == table.end() || !snmptool::IsUnder(found->first, subtree_)) return Send("NONE");
        SendObject(found->first, found->second);
    }

    void GetNext(const std::string& nameText) {
        const auto name = snmptool::ParseOidText(nameText);
        const ObjectTable table = snmptool::LoadObjects(path_);
        const auto next = name ? snmptool::NextObject(table, *name, subtree_) : table.end();
        if (next == table.end()) return Send("NONE");
        SendObject(next->first, next->second);
    }

    // Only an existing writable object of the same kind of value takes a set.
    void Set(const std::string& nameText, const std::string& typeAndValue) {
        const auto name = snmptool::ParseOidText(nameText);
        const size_t space = typeAndValue.find(' ');
        const std::string type = typeAndValue.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : typeAndValue.substr(space + 1);
        ObjectTable table = snmptool::LoadObjects(path_);
        const auto found = name ? table.find(*name) : table.end();
        if (found == table.end() || !snmptool::IsUnder(found->first, subtree_) || !found->second.writable) {
            return Send("not-writable");
        }
        snmptool::ServedObject& object = found->second;
        const bool sameKind = type == object.type || (IsText(type) && IsText(object.type));
        if (!sameKind || (!IsNumeric(type) && !IsText(type))) return Send("wrong-type");
        object.type = type;
        object.value = value;
        Send(snmptool::SaveObjects(path_, table) ? "DONE" : "not-writable");
    }

private:
    std::string path_;
    OidArcs subtree_;
};

bool ReadLine(std::string& line) {
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OBJECTS-FILE SUBTREE\n", argv[0]);
        return 2;
    }
    const auto subtree = snmptool::ParseOidText(argv[2]);
    if (!subtree) {
        std::fprintf(stderr, "%s: not an object name: %s\n", argv[0], argv[2]);
        return 2;
    }
    Server server(argv[1], *subtree);
    std::string command;
    std::string name;
    std::string value;
    // Every answer is flushed: snmpd waits for it before it writes the next request.
    while (ReadLine(command)) {
        if (command == "PING") {
            Send("PONG");
        } else if (command == "get" && ReadLine(name)) {
            server.Get(name);
        } else if (command == "getnext" && ReadLine(name)) {
            server.GetNext(name);
        } else if (command == "set" && ReadLine(name) && ReadLine(value)) {
            server.Set(name, value);
        } else if (!command.empty()) {
            Send("NONE");
        }
        std::cout.flush();
    }
    return 0;
}
