#!/usr/bin/env bash
# The installed system without the build folder: installs build folder $1
# into a staging folder (DESTDIR) under another prefix than the one it was
# configured with (cmake --install --prefix), checks that every path the
# installed files name follows that prefix, that the resource library and
# the message file lie beside the installed driver and that every file the
# odbcinst template names is there, registers the template and the example
# data source in a private ODBCSYSINI, serves a SQLite database through the
# installed velsrv with the installed example configuration, queries it
# with isql through the installed driver and has the installed locator
# register what velsrv offers with the installed driver's name; then builds
# the Debian package for the same prefix, compares its files with the staged
# ones and runs its maintainer scripts against the private ODBCSYSINI and a
# private root.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
velsrv_pid=""
cleanup() {
  [ -z "$velsrv_pid" ] || { kill "$velsrv_pid" 2>/dev/null; wait "$velsrv_pid" 2>/dev/null; } || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "install test: $*" >&2
  exit 1
}
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

# The prefix given at install time, not the configured one; where that
# prefix keeps the configuration and the unit.
prefix=/usr
[ "$(cache CMAKE_INSTALL_PREFIX)" != /usr ] || prefix=/opt/velto
case $prefix in
  /usr) confdir=/etc/velsrv unitdir=/lib/systemd/system ;;
  /opt/velto) confdir=/etc/opt/velto/velsrv unitdir=$prefix/lib/systemd/system ;;
esac
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log"; fail "install failed"; }
template=$stage$prefix/share/velto/odbcinst.ini
[ -f "$template" ] || fail "no odbcinst template at $template"

# Every library the template names, under the prefix, with the driver's
# companions beside it.
driver=$(sed -n 's/^Driver=//p' "$template")
setup=$(sed -n 's/^Setup=//p' "$template")
for file in "$driver" "$setup" "$(dirname "$driver")/rsdriv32.so" \
            "$(dirname "$driver")/velclient_messages.xml"; do
  [[ $file == "$prefix"/* ]] || fail "the template names $file, outside the prefix $prefix"
  [ -f "$stage$file" ] || fail "$file is not installed"
done
installed_config=$confdir/velsrv.conf
config=$stage$installed_config
[ -f "$config" ] || fail "no $installed_config"
grep -qx "users = $confdir/users" "$config" || fail "$installed_config names another users list"
cmp -s "$config" "$stage$prefix/share/velto/velsrv.conf" || fail "the example differs from the configuration"
unit=$stage$unitdir/velsrv.service
grep -q "^ExecStart=$prefix/sbin/velsrv --config=$installed_config\$" "$unit" ||
  fail "the unit does not start the installed velsrv with its configuration"
for page in man8/velsrv.8.gz man1/velutl32.1.gz man1/velref32.1.gz man1/velloc32.1.gz; do
  [ -f "$stage$prefix/share/man/$page" ] || fail "no manual page $page"
done
zgrep -q "$confdir/users" "$stage$prefix/share/man/man8/velsrv.8.gz" ||
  fail "velsrv's manual page names another configuration folder"
for file in copyright changelog.gz README.md; do
  [ -f "$stage$prefix/share/doc/velto-client/$file" ] || fail "no $file in share/doc"
done
! find "$stage$prefix/bin" -type f ! -perm -u+x | grep -q . || fail "data files in $prefix/bin"

# A sanitized build's driver needs the sanitizer's runtime first in the
# programs that load it; they leak on their own.
run_client() { "$@"; }
if [ "$(cache VEL_SANITIZE)" = ON ]; then
  asan=$("$(cache CMAKE_CXX_COMPILER)" -print-file-name=libasan.so)
  run_client() { LD_PRELOAD=$asan ASAN_OPTIONS=detect_leaks=0 "$@"; }
fi

# Registration as the README has it, in private files; the registered paths
# are where the files will be, so they are pointed into the staging folder.
odbc=$work/odbc
mkdir -p "$odbc/registry"
: >"$odbc/odbcinst.ini"
: >"$odbc/odbc.ini"
export ODBCSYSINI=$odbc ODBCINI=$odbc/odbc.ini VELTO_REGISTRY=$odbc/registry
unset ODBCINSTINI
odbcinst -i -d -f "$template" >/dev/null
odbcinst -q -d -n "Velto Client" >/dev/null || fail "the template did not register"
sed -i "s|^Driver=|Driver=$stage|; s|^Setup=|Setup=$stage|" "$odbc/odbcinst.ini"
odbcinst -i -s -f "$stage$prefix/share/velto/odbc.ini" >/dev/null
odbcinst -q -s -n Velto >/dev/null || fail "the example data source did not register"

# The installed example configuration, on a free port, with a users list of
# one and the demo database where this test keeps it.
sqlite3 "$work/demo.db" "CREATE TABLE t (id INTEGER, name TEXT); INSERT INTO t VALUES (1, 'installed');"
velsrv=$stage$prefix/sbin/velsrv
echo "alice:$(echo secret | "$velsrv" --hash-password)" >"$work/users"
sed -e "s|^connect = DRIVER=SQLite3;Database=[^;]*|connect = DRIVER=$(cache VEL_SQLITE_ODBC_DRIVER);Database=$work/demo.db|" \
    "$config" >"$work/velsrv.conf"
(unset ODBCSYSINI ODBCINI; exec "$velsrv" --config="$work/velsrv.conf" --port=0 \
   --users="$work/users" >"$work/velsrv.out" 2>"$work/velsrv.log") &
velsrv_pid=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/^velsrv: listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/velsrv.out")
  [ -z "$port" ] || break
  kill -0 "$velsrv_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/velsrv.log" >&2; fail "the installed velsrv did not start"; }
sed -i "s|^ServerName=.*|ServerName=127.0.0.1.$port|" "$ODBCINI"

out=$(run_client isql -b -v Velto alice secret <<<"SELECT id, name FROM t" 2>&1) || true
grep -q "| 1 *| installed" <<<"$out" || { echo "$out" >&2; fail "no row through the installed driver"; }

# The driver's texts come from the message file beside it.
messages=$stage$(dirname "$driver")/velclient_messages.xml
sed -i "s|missing the 'ServerName=' entry|missing its ServerName (installed text)|" "$messages"
sed -i "/^ServerName=/d" "$ODBCINI"
out=$(run_client isql -b -v Velto alice secret <<<"SELECT 1" 2>&1) || true
grep -q "missing its ServerName (installed text)" <<<"$out" || { echo "$out" >&2; fail "the installed message file was not read"; }

# The installed tools find the driver and their resource libraries through
# their run path; the locator asks the installed velsrv and registers what
# it offers. (The sanitizer's runtime makes every dlopen its own, so a
# sanitized program is shown the folder instead.)
bindir=$stage$prefix/bin
for tool in velutl32 velref32 velloc32; do
  runpath=$(readelf -d "$bindir/$tool" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
  [ -f "${runpath/\$ORIGIN/$bindir}/velclt32.so" ] || fail "$tool's run path $runpath has no driver"
done
printf '[Software\\Velto\\Client\\6.1]\nServerList=127.0.0.1:%s\n' "$port" \
  >"$odbc/registry/current_user.conf"
locate() { "$bindir/velloc32" "$work/located"; }
if [ "$(cache VEL_SANITIZE)" = ON ]; then
  locate() { LD_LIBRARY_PATH=$stage$(dirname "$driver") "$bindir/velloc32" "$work/located"; }
fi
locate >"$work/velloc.log" 2>&1 || true
[ "$(cat "$work/located")" = 0 ] && grep -q "^ServerDSN=demo" "$ODBCINI" ||
  { cat "$work/located" "$work/velloc.log" "$ODBCINI" >&2; fail "the installed locator registered nothing"; }
# The tools' message files in the data folder name the driver as
# registered, and so does the data source the locator added. (Being the
# driver's own, the example data source, which velsrv does not offer by
# that name, is gone.)
for file in velutl_messages.xml velref_messages.xml velloc_messages.xml; do
  grep -q '<S id="VEL_REG_CLI_NAME">Velto Client</S>' "$stage$prefix/share/velto/$file" ||
    fail "$file in the data folder does not name the installed driver"
done
sed -n '/^\[demo/,/^\[/p' "$ODBCINI" | grep -qx "Driver=Velto Client" ||
  { cat "$ODBCINI" >&2; fail "the located data source names a driver that is not registered"; }
located_dsn=$(sed -n 's/^\[\(demo[^]]*\)\]$/\1/p' "$ODBCINI" | head -n 1)
out=$(run_client isql -b -v "$located_dsn" alice secret <<<"SELECT id, name FROM t" 2>&1) || true
grep -q "| 1 *| installed" <<<"$out" || { echo "$out" >&2; fail "no row through the located data source"; }

# The package: exactly the staged files, and maintainer scripts that register
# the driver once, also on an upgrade, and unregister it on removal.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -D CPACK_INSTALL_PREFIX="$prefix" \
   -B "$work/package" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "the package did not build"; }
deb=$(find "$work/package" -maxdepth 1 -name '*.deb')
[ -n "$deb" ] || fail "no package"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort >"$work/package.list"
(cd "$stage" && find . ! -type d | sed 's|^\./||' | sort) >"$work/stage.list"
diff "$work/stage.list" "$work/package.list" >&2 || fail "the package's files differ from the install's"
dpkg-deb -e "$deb" "$work/control"
grep -qx "$installed_config" "$work/control/conffiles" || fail "the configuration is no conffile"

# The scripts see the system through DPKG_ROOT; the commands that would
# change it only say what they were asked.
stubs=$work/stubs
mkdir -p "$stubs"
for command in adduser getent install systemctl; do
  printf '#!/bin/sh\necho %s "$@" >>"%s"\nexit 0\n' "$command" "$work/commands" >"$stubs/$command"
  chmod +x "$stubs/$command"
done
export DPKG_ROOT=$work/root
mkdir -p "$DPKG_ROOT$confdir"
: >"$odbc/odbcinst.ini"
sed "s|$prefix/share/velto/|$stage$prefix/share/velto/|" "$work/control/postinst" >"$work/postinst"
PATH=$stubs:$PATH sh "$work/postinst" configure
PATH=$stubs:$PATH sh "$work/postinst" configure 6.0
grep -qx "UsageCount=1" "$odbc/odbcinst.ini" || { cat "$odbc/odbcinst.ini" >&2; fail "postinst counted the driver twice"; }
# Without systemd's StateDirectory= the state folder comes from postinst.
grep -qx "install -d -m 750 -o velsrv -g velsrv $DPKG_ROOT/var/lib/velsrv" "$work/commands" ||
  { cat "$work/commands" >&2; fail "postinst made no /var/lib/velsrv"; }
PATH=$stubs:$PATH sh "$work/control/prerm" remove
! odbcinst -q -d -n "Velto Client" >/dev/null 2>&1 || fail "prerm left the driver registered"
# Enabled where no systemd ran the removal: the purge takes the link.
mkdir -p "$DPKG_ROOT/etc/systemd/system/multi-user.target.wants"
ln -s "$unitdir/velsrv.service" "$DPKG_ROOT/etc/systemd/system/multi-user.target.wants/velsrv.service"
PATH=$stubs:$PATH sh "$work/control/postrm" purge
[ ! -L "$DPKG_ROOT/etc/systemd/system/multi-user.target.wants/velsrv.service" ] ||
  fail "the purge left the enable link"
echo "install test: staged install, registration, query and package are sound"
