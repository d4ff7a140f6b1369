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
