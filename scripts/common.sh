# Shared by scripts/demo and scripts/bench (sourced, from the repository's
# root): the packages they need, the Release build, a velsrv in the
# background and a private ODBC configuration for the built driver.

# Installs those of the given Debian packages that are missing.
install_missing() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

# A plain optimised build in build/release; arguments go to cmake.
build_release() {
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEL_SANITIZE=OFF \
    -DVEL_TESTS=OFF "$@" >/dev/null
  cmake --build build/release -j "${VEL_JOBS:-$(nproc)}"
}

# Starts `build/release/out/velsrv --config $2` in the background, its output
# in $1, and waits until it listens: sets VELSRV_PORT. stop_velsrv stops every
# server started so.
VELSRV_PIDS=()
start_velsrv() {
  build/release/out/velsrv --config "$2" >"$1" 2>&1 &
  VELSRV_PIDS+=($!)
  for _ in $(seq 100); do
    VELSRV_PORT=$(sed -n 's/^velsrv: listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$1")
    [ -z "$VELSRV_PORT" ] || return 0
    kill -0 "${VELSRV_PIDS[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  echo "velsrv did not start:" >&2
  cat "$1" >&2
  return 1
}

# SIGTERM makes velsrv cancel what runs, roll back and close its backends.
stop_velsrv() {
  local pid
  for pid in "${VELSRV_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  VELSRV_PIDS=()
}

# Points unixODBC and the driver's own settings at folder $1, with the built
# driver and its setup library registered as "Velto Client" and no data
# source yet (see add_dsn and config_dsn).
use_private_odbc() {
  mkdir -p "$1/registry"
  printf '[Velto Client]\nDescription=Velto client driver\nDriver=%s\nSetup=%s\n' \
    "$PWD/build/release/out/velclt32.so" "$PWD/build/release/out/velcfg32.so" >"$1/odbcinst.ini"
  : >"$1/odbc.ini"
  export ODBCSYSINI=$1 ODBCINI=$1/odbc.ini VELTO_REGISTRY=$1/registry
  unset ODBCINSTINI
}

# Appends data source [$1] with the lines that follow to the private odbc.ini.
add_dsn() {
  local name=$1
  shift
  printf '[%s]\n' "$name" >>"$ODBCINI"
  printf '%s\n' "$@" >>"$ODBCINI"
}

# Adds a user data source of "Velto Client" through its setup library, as
# an ODBC administration program would: SQLConfigDataSource with the
# "key=value" attributes given, without a window. Prints the installer's
# reason and fails when the setup library refuses.
config_dsn() {
  python3 - "$@" <<'PY'
import ctypes, sys
inst = ctypes.CDLL("libodbcinst.so.2")
inst.SQLConfigDataSource.argtypes = [ctypes.c_void_p, ctypes.c_ushort, ctypes.c_char_p, ctypes.c_char_p]
attributes = b"".join(a.encode() + b"\0" for a in sys.argv[1:]) + b"\0"
if not inst.SQLConfigDataSource(None, 1, b"Velto Client", attributes):
    code, text = ctypes.c_uint32(), ctypes.create_string_buffer(1024)
    inst.SQLInstallerError(1, ctypes.byref(code), text, len(text), None)
    sys.exit("config_dsn: " + text.value.decode())
PY
}
