// The status tests' fixture (the manager stand-in, a monitor of the test's own), built into
// this program too: page three's wait box reads the printer's status through it.
#include "tests/kvui_status/StatusFixture.cpp"
