// The flow tests' hand-built device, shared rather than copied: its source is compiled into
// this binary too.
#include "tests/render_flow/FlowFixture.cpp"  // NOLINT(bugprone-suspicious-include)
