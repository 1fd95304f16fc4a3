#!/usr/bin/env bash
# What the first step of make run and make test asks apt for, on a fresh copy
# of the sources, as a user without root: dpkg-query is faked to report only
# the packages in $FAKE_INSTALLED, and sudo and apt-get to record their
# arguments (apt-get install then fails, which stops make before building).
set -euo pipefail
source_dir=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A release archive: the whole tree as it is, without .git and build folders.
mkdir "$work/archive"
tar -C "$source_dir" --exclude='./.git' --exclude='./build*' -cf - . | tar -C "$work/archive" -xf -
if [[ -e "$source_dir/.git" ]]; then
    git clone -q "$source_dir" "$work/clone"
else
    ln -s "$work/archive" "$work/clone"
fi

fake=$work/fake-bin
mkdir "$fake"
cat >"$fake/dpkg-query" <<'EOF'
#!/bin/sh
for pkg; do :; done
case " $FAKE_INSTALLED " in
    *" $pkg "*) printf 'install ok installed' ;;
    *) echo "dpkg-query: no packages found matching $pkg" >&2; exit 1 ;;
esac
EOF
cat >"$fake/apt-get" <<'EOF'
#!/bin/sh
echo "$*" >>"$LOG_DIR/apt-get.log"
case " $* " in *" install "*) exit 100 ;; esac
EOF
cat >"$fake/sudo" <<'EOF'
#!/bin/sh
echo "$*" >>"$LOG_DIR/sudo.log"
exec "$@"
EOF
printf '#!/bin/sh\n[ "$1" = -u ] && echo 1000 || exec /usr/bin/id "$@"\n' >"$fake/id"
chmod +x "$fake"/*

# The packages of a list, without comments and conditions.
names() { sed -e 's/#.*//' "$1" | awk 'NF {print $1}'; }
run_packages=$(names "$source_dir/scripts/packages-run.txt")
test_only=$(names "$source_dir/scripts/packages-test.txt" | grep -vxF "$run_packages")
# Tools that only tests or packaging use, even if a list named them for running.
not_for_running=$(printf '%s\n' "$test_only" pulseaudio xvfb clang-tidy multimon-ng \
    binutils-mingw-w64-x86-64 imagemagick desktop-file-utils appstream)

# make TARGET with FAKE_INSTALLED=$2 in the tree $3 (the clone by default);
# prints the packages apt-get was asked for.
asked_for() {
    local target=$1 tree=${3:-$work/clone}
    local logs=$work/logs-$1-${2// /-}-${tree##*/}
    mkdir -p "$logs"
    if PATH="$fake:$PATH" FAKE_INSTALLED=$2 LOG_DIR=$logs \
        make -C "$tree" "$target" >"$logs/make.log" 2>&1; then
        fail "make $target went on although apt-get failed"
    fi
    compgen -G "$tree/build*" >/dev/null && fail "make $target built before its packages were there"
    local install
    install=$(grep -w install "$logs/apt-get.log") || fail "make $target installed nothing"
    [[ $(wc -l <<<"$install") -eq 1 ]] || fail "make $target called apt-get install twice"
    [[ " $install " == *" --no-remove "* ]] || fail "make $target may remove packages: $install"
    grep -q "apt-get install" "$logs/sudo.log" || fail "make $target did not use sudo"
    tr ' ' '\n' <<<"$install" | grep -v '^-' | grep -vx install
}

run=$(asked_for run "")
for pkg in $run_packages; do
    [[ $pkg == libcanberra-pulse ]] && continue  # only beside a sound server
    grep -qxF "$pkg" <<<"$run" || fail "make run did not ask for $pkg"
done
extra=$(grep -xF "$not_for_running" <<<"$run" || true)
[[ -z "$extra" ]] || fail "make run asked for test tools: $extra"

archived=$(asked_for run "" "$work/archive")
[[ "$archived" == "$run" ]] || fail "make run asks for other packages in a release archive"

bare=$(asked_for test "")
for pkg in $test_only; do
    grep -qxF "$pkg" <<<"$bare" || fail "make test did not ask for $pkg"
done
grep -qx libcanberra-pulse <<<"$bare" || fail "make test did not ask for libcanberra-pulse"

pipewire=$(asked_for test "pipewire pipewire-pulse pipewire-alsa pipewire-audio")
grep -qE '^pulseaudio(-utils)?$' <<<"$pipewire" && fail "make test asked for PulseAudio beside PipeWire"
grep -qx libcanberra-pulse <<<"$pipewire" || fail "make test did not ask for libcanberra-pulse"
grep -qx multimon-ng <<<"$pipewire" || fail "make test beside PipeWire did not ask for the test tools"
echo "dependency step test passed"
