#!/usr/bin/env bash
# The install step against a fake dpkg: with everything installed it finds nothing
# missing and never runs apt-get; with one package missing it names that one, and
# installs exactly that one.   deps_test.sh PATH/TO/deps.sh
set -euo pipefail
deps="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fakes="$work/bin"
mkdir -p "$fakes"

# dpkg-query -W -f='${Package} ${Status}\n' PKG... : installed, except the names in
# FAKE_MISSING, which it has never heard of (as real dpkg-query says of a virtual
# package), and the names in FAKE_REMOVED, of which only configuration files remain.
cat >"$fakes/dpkg-query" <<'EOF'
#!/usr/bin/env bash
status=0
for arg in "$@"; do
  case "$arg" in -*) continue ;; esac
  if grep -qxF -- "$arg" <<<"${FAKE_MISSING:-}"; then
    echo "dpkg-query: no packages found matching $arg" >&2
    status=1
  elif grep -qxF -- "$arg" <<<"${FAKE_REMOVED:-}"; then
    echo "$arg deinstall ok config-files"
  else
    echo "$arg install ok installed"
  fi
done
exit $status
EOF
# apt-get and sudo only record that they ran.
cat >"$fakes/apt-get" <<EOF
#!/usr/bin/env bash
echo "apt-get \$*" >>"$work/calls"
EOF
cat >"$fakes/sudo" <<'EOF'
#!/usr/bin/env bash
exec "$@"
EOF
chmod +x "$fakes"/*
export PATH="$fakes:$PATH"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# check CASE MISSING REMOVED EXPECTED: --check prints EXPECTED (one name a line) and
# exits 0 exactly when EXPECTED is empty; the install run calls apt-get exactly when
# something is missing, and then installs just those packages.
check() {
  local name="$1" expected="$4"
  local out rc=0
  out="$(FAKE_MISSING="$2" FAKE_REMOVED="$3" "$deps" --check)" || rc=$?
  [ "$out" = "$expected" ] || fail "$name: --check printed '$out', expected '$expected'"
  if [ -z "$expected" ]; then
    [ $rc -eq 0 ] || fail "$name: --check exited $rc with nothing missing"
  else
    [ $rc -eq 1 ] || fail "$name: --check exited $rc with packages missing"
  fi

  rm -f "$work/calls"
  FAKE_MISSING="$2" FAKE_REMOVED="$3" "$deps" >/dev/null
  if [ -z "$expected" ]; then
    [ ! -e "$work/calls" ] || fail "$name: apt-get ran with nothing missing: $(cat "$work/calls")"
  else
    local install
    install="$(grep ' install ' "$work/calls" 2>/dev/null || true)"
    [ "$install" = "apt-get install -y --no-install-recommends $(echo $expected)" ] \
      || fail "$name: wrong install call: '$install'"
  fi
}

nl=$'\n'
check "all installed" "" "" ""
check "one unknown to dpkg" "qt6-svg-dev" "" "qt6-svg-dev"
check "one removed, configuration kept" "" "adwaita-icon-theme" "adwaita-icon-theme"
check "two missing, in list order" "python3${nl}cmake" "" "cmake${nl}python3"

[ $failures -eq 0 ] && echo "deps.sh: all cases passed"
exit $failures
