# Sourced by the tools/ scripts: how many jobs their builds (and test runs) run at once.
# KV_JOBS sets it (for a machine that others share); else every core.
kv_jobs() {
  if [ -n "${KV_JOBS:-}" ]; then
    if ! [[ $KV_JOBS =~ ^[1-9][0-9]*$ ]]; then
      echo "KV_JOBS=\"$KV_JOBS\" is not a number of jobs" >&2
      return 1
    fi
    echo "$KV_JOBS"
  else
    nproc
  fi
}
