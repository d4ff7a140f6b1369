# Sourced by the tools/ scripts: installs the Debian packages of the list that are missing.
# kv_install_packages pkg...   returns non-zero (with a message) when apt-get fails.
kv_install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null || { echo "apt-get failed"; return 1; }
}

# What every tree needs: the tools and the GoogleTest sources and libraries.
KV_BASE_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest)
KV_BASE_PACKAGES+=(unifont)  # glyphs for text drawn into window pictures
# What the tests need besides: the real SNMP agent that the monitor's client is checked against.
KV_TEST_PACKAGES=(snmpd)

# True when this machine can build and run a 32-bit program (needs g++-multilib).
kv_runs_32bit_programs() {
  local dir ok=1
  dir=$(mktemp -d)
  printf 'int main(void) { return 0; }\n' >"$dir/probe.c"
  gcc -m32 "$dir/probe.c" -o "$dir/probe" >/dev/null 2>&1 && "$dir/probe" >/dev/null 2>&1 && ok=0
  rm -rf "$dir"
  return $ok
}
