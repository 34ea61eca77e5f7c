#!/bin/sh
# The gui tests' stand-in for adb (see cmake/NimboTesting.cmake).
#   no_adb_fixture.sh arm DIR     writes DIR/adb, which records each start in DIR/starts and fails
#   no_adb_fixture.sh check DIR   fails, listing them, when anything was recorded
set -eu
mode=$1
dir=$2
case $mode in
arm)
    mkdir -p "$dir"
    : >"$dir/starts"
    cat >"$dir/adb" <<SCRIPT
#!/bin/sh
# Widget tests run no adb: this one records who started it, then fails.
parent=\$(tr '\\0' ' ' </proc/\$PPID/cmdline 2>/dev/null || echo "process \$PPID")
echo "adb \$* (started by: \$parent)" >>'$dir/starts'
echo 'adb is not run by widget tests' >&2
exit 1
SCRIPT
    chmod 755 "$dir/adb"
    echo "armed: $dir/adb"
    ;;
check)
    if [ -s "$dir/starts" ]; then
        echo "adb was started during the gui tests:"
        cat "$dir/starts"
        exit 1
    fi
    echo "no adb was started during the gui tests"
    ;;
*)
    echo "usage: $0 arm|check DIR" >&2
    exit 2
    ;;
esac
