#!/usr/bin/env bash
# Packs this build tree and checks the two .deb files as a machine would get
# them: control fields, computed dependencies, contents and modes, conffiles,
# the maintainer scripts run against a scratch root, the systemd unit,
# lintian, and the extracted programs' own answers. Nothing is installed.
#
#   inspect_packages.sh BUILD_DIR VERSION
set -euo pipefail

build_dir="$1"
version="$2"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
failures=0
fail() {
  printf 'FAIL: %s\n' "$*"
  failures=$((failures + 1))
}

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

mapfile -t debs < <("$source_dir/scripts/package.sh" --build-dir "$build_dir" --no-build)
arch="$(dpkg --print-architecture)"
server_deb="$build_dir/packages/ped00800-server_${version}_${arch}.deb"
client_deb="$build_dir/packages/ped00800-client_${version}_${arch}.deb"
[[ ${#debs[@]} -eq 2 && -f "$server_deb" && -f "$client_deb" ]] || {
  echo "FAIL: package.sh made: ${debs[*]}"
  exit 1
}

# --- control fields and computed dependencies
check_fields() { # deb package section required-depends...
  local deb="$1" package="$2" section="$3"
  shift 3
  [[ "$(dpkg-deb -f "$deb" Package)" == "$package" ]] || fail "$deb: Package"
  [[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "$deb: Version is not $version"
  [[ "$(dpkg-deb -f "$deb" Architecture)" == "$arch" ]] || fail "$deb: Architecture"
  [[ "$(dpkg-deb -f "$deb" Section)" == "$section" ]] || fail "$deb: Section"
  [[ "$(dpkg-deb -f "$deb" Priority)" == optional ]] || fail "$deb: Priority"
  [[ "$(dpkg-deb -f "$deb" Maintainer)" == *@* ]] || fail "$deb: Maintainer"
  [[ -n "$(dpkg-deb -f "$deb" Description)" ]] || fail "$deb: Description"
  local depends=", $(dpkg-deb -f "$deb" Depends),"
  for lib in "$@"; do
    [[ "$depends" =~ [,\ ]${lib}[\ ,] ]] || fail "$package: Depends lacks $lib ($depends)"
  done
}
check_fields "$server_deb" ped00800-server net adduser libc6 libstdc\\+\\+6 libsqlite3-0 libpq5 libsodium23 \
  'libspdlog1[^ ,]*' libcpp-httplib0.11 libsimdjson14
check_fields "$client_deb" ped00800-client x11 libqt6widgets6 libqt6gui6 libqt6core6 libsqlite3-0 libpq5 \
  libcpp-httplib0.11

# --- contents: paths, owners, modes, nothing of the tests
check_contents() { # deb expected-entries (mode path)...
  local deb="$1"
  shift
  local listing="$scratch/listing"
  dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' >"$listing"
  while (($# > 0)); do
    grep -qxF -- "$1 root/root ./$2" "$listing" || fail "$deb: no $2 with mode $1 owned by root"
    shift 2
  done
  awk '$2 != "root/root"' "$listing" | grep . && fail "$deb: entries not owned by root"
  grep -Ei 'test|bench|fuzz|gtest|/build/' "$listing" && fail "$deb: ships test, benchmark or build files"
  grep -E '^d' "$listing" | grep -v '^drwxr-xr-x' && fail "$deb: a folder not 0755"
  return 0
}
check_contents "$server_deb" \
  -rwxr-xr-x usr/bin/ped00800-server \
  -rwxr-xr-x usr/bin/ped00800-demo \
  -rw-r--r-- etc/ped00800/servidor.conf \
  -rw-r--r-- lib/systemd/system/ped00800-server.service \
  -rw-r--r-- usr/share/doc/ped00800-server/copyright \
  -rw-r--r-- usr/share/doc/ped00800-server/changelog.gz \
  -rw-r--r-- usr/share/man/man1/ped00800-server.1.gz
check_contents "$client_deb" \
  -rwxr-xr-x usr/bin/ped-host \
  -rw-r--r-- usr/lib/ped00800/modules/ped00800.so \
  -rw-r--r-- usr/share/ped00800/help/pedhelp/12200800.html \
  -rw-r--r-- usr/share/applications/ped00800.desktop \
  -rw-r--r-- usr/share/icons/hicolor/scalable/apps/ped00800.svg \
  -rw-r--r-- etc/ped00800/cliente.conf \
  -rw-r--r-- usr/share/doc/ped00800-client/copyright \
  -rw-r--r-- usr/share/man/man1/ped-host.1.gz
dpkg-deb -c "$client_deb" | grep -q 'ped00800-server\|servidor.conf' && fail "the client ships the server's files"
dpkg-deb -c "$server_deb" | grep -q 'ped-host\|cliente.conf' && fail "the server ships the client's files"

# --- control members: conffiles and maintainer scripts
for pair in "server:servidor.conf" "client:cliente.conf"; do
  side="${pair%%:*}"
  dir="$scratch/control-$side"
  dpkg-deb -e "$build_dir/packages/ped00800-${side}_${version}_${arch}.deb" "$dir"
  [[ "$(cat "$dir/conffiles")" == "/etc/ped00800/${pair#*:}" ]] || fail "$side: conffiles is $(cat "$dir/conffiles")"
done
control="$scratch/control-server"
for script in postinst prerm postrm; do
  [[ -x "$control/$script" ]] || fail "server: $script missing or not executable"
  sh -n "$control/$script" || fail "server: $script does not parse"
  grep -qx 'set -e' "$control/$script" || fail "server: $script lacks set -e"
done
[[ ! -e "$scratch/control-client/postinst" ]] || fail "client: has a postinst it does not need"

# The scripts run for real against a scratch root (DPKG_ROOT, as dpkg sets
# it), with the commands that would touch this machine's users and services
# replaced by ones that record their arguments.
stubs="$scratch/stubs"
mkdir -p "$stubs"
calls="$scratch/calls"
for command in adduser addgroup chown deb-systemd-helper deb-systemd-invoke systemctl dpkg-statoverride; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\n[ %s != dpkg-statoverride ]\n' "$command" "$calls" "$command" >"$stubs/$command"
done
# getent answers "no such user" until adduser has run.
printf '#!/bin/sh\ngrep -q "^adduser" "%s" 2>/dev/null\n' "$calls" >"$stubs/getent"
chmod +x "$stubs"/*
run_script() { # root script args...
  local root="$1" script="$2"
  shift 2
  env PATH="$stubs:$PATH" DPKG_ROOT="$root" sh "$control/$script" "$@"
}

root="$scratch/root"
mkdir -p "$root/etc/ped00800"
dpkg-deb --fsys-tarfile "$server_deb" | tar -x -C "$root" ./etc/ped00800/servidor.conf
run_script "$root" postinst configure >/dev/null || fail "postinst configure failed"
grep -q '^adduser --system .*ped00800$' "$calls" || fail "postinst did not create the system user: $(cat "$calls")"
grep -q '^deb-systemd-helper enable ped00800-server.service' "$calls" || fail "postinst did not enable the unit"
[[ "$(stat -c %a "$root/var/lib/ped00800")" == 750 ]] || fail "postinst: the state folder is not 0750"
[[ "$(stat -c %a "$root/etc/ped00800/servidor.conf")" == 640 ]] || fail "postinst: servidor.conf is not 0640"
# Again, over an existing database: the user is not made twice, the data stays.
echo "dados do operador" >"$root/var/lib/ped00800/ped00800.db"
: >"$calls"
echo "adduser (made before)" >>"$calls"
run_script "$root" postinst configure 0.0.9 >/dev/null || fail "postinst configure (upgrade) failed"
[[ "$(grep -c '^adduser' "$calls")" == 1 ]] || fail "postinst made the user again"
[[ "$(cat "$root/var/lib/ped00800/ped00800.db")" == "dados do operador" ]] || fail "postinst touched the database"

mkdir -p "$root/var/log/ped00800"
run_script "$root" postrm purge >/dev/null || fail "postrm purge failed"
[[ -f "$root/var/lib/ped00800/ped00800.db" ]] || fail "a plain purge removed the database"
[[ ! -e "$root/var/log/ped00800" ]] || fail "purge left the log folder"
grep -q '^deb-systemd-helper purge ped00800-server.service' "$calls" || fail "purge did not forget the unit"
PED00800_PURGE_DATA=sim run_script "$root" postrm purge >/dev/null || fail "postrm purge (data) failed"
[[ ! -e "$root/var/lib/ped00800" ]] || fail "purge with PED00800_PURGE_DATA=sim kept the data"
run_script "$root" postrm purge >/dev/null || fail "postrm purge is not repeatable"
run_script "$root" prerm remove >/dev/null || fail "prerm remove failed"

# --- the systemd unit, against this machine's systemd when it has one
unit_root="$scratch/server"
dpkg-deb -x "$server_deb" "$unit_root"
unit="$unit_root/lib/systemd/system/ped00800-server.service"
for setting in User=ped00800 Group=ped00800 'ExecStart=/usr/bin/ped00800-server --config /etc/ped00800/servidor.conf' \
  Restart=on-failure StateDirectory=ped00800 NoNewPrivileges=yes PrivateTmp=yes ProtectSystem=strict ProtectHome=yes; do
  grep -qxF "$setting" "$unit" || fail "unit: no $setting"
done
mkdir -p "$scratch/unit"
printf '[Service]\nExecStart=/bin/true\n' >"$scratch/unit/canary.service"
if ! command -v systemd-analyze >/dev/null 2>&1; then
  echo "SKIP: systemd-analyze is not installed; the unit was checked by its settings only."
elif canary="$(systemd-analyze verify --man=no "$scratch/unit/canary.service" 2>&1)" && [[ -z "$canary" ]]; then
  # The unit as is, but starting the extracted server: verify checks that the program exists.
  sed "s|^ExecStart=/usr/bin/|ExecStart=$unit_root/usr/bin/|" "$unit" >"$scratch/unit/ped00800-server.service"
  # verify exits 0 on unknown keys and bad values: any word from it is a fault.
  verify="$(systemd-analyze verify --man=no "$scratch/unit/ped00800-server.service" 2>&1)" || true
  [[ -z "$verify" ]] || fail "systemd-analyze verify: $verify"
else
  echo "SKIP: systemd-analyze cannot verify units here (a trivial unit gives: $canary)."
fi

# --- lintian: errors fail; warnings are listed
if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error "$server_deb" "$client_deb" 2>/dev/null ||
    fail "lintian reports errors"
else
  fail "lintian is not installed (./scripts/install-deps.sh installs it)"
fi

# --- the extracted programs answer
client_root="$scratch/client"
dpkg-deb -x "$client_deb" "$client_root"
"$unit_root/usr/bin/ped00800-server" --help | grep -q '^Uso: ped00800-server' || fail "ped00800-server --help"
"$unit_root/usr/bin/ped00800-demo" --help | grep -q 'ped00800-demo' || fail "ped00800-demo --help"
"$client_root/usr/bin/ped-host" --help | grep -q '^Uso: ped-host' || fail "ped-host --help"
for program in "$unit_root/usr/bin/ped00800-server" "$unit_root/usr/bin/ped00800-demo" "$client_root/usr/bin/ped-host"; do
  if "$program" --help | grep -q -- '--version'; then
    "$program" --version | grep -qF "$version" || fail "$(basename "$program") --version does not say $version"
  fi
done
# The module loads in the extracted host's folder layout with its entry points.
nm -D --defined-only "$client_root/usr/lib/ped00800/modules/ped00800.so" | grep -qw CriaLiquidaItem ||
  fail "the packed module lacks its entry points"

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "both packages pass: ${debs[*]}"
