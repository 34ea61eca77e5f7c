#!/usr/bin/env bash
# Runs scripts/check-layers (with the real scripts/layers.txt) on small trees
# built here: a clean one must pass, each injected fault must be reported with
# its file, line and the layers involved. Usage: check_layers_test.sh REPO_ROOT
set -uo pipefail

REPO="${1:?usage: $0 REPO_ROOT}"
# -S: the checker needs only the standard library; skipping site halves start-up.
CHECK=(python3 -S "$REPO/scripts/check-layers")
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# put FILE LINE... : writes the lines into TREE/FILE (creating folders).
put() {
  local file="$TREE/$1"; shift
  mkdir -p "$(dirname "$file")"
  printf '%s\n' "$@" >"$file"
}

# run ARGS...: runs the checker, leaving its status in rc and its report in out.
run() {
  out="$("${CHECK[@]}" "$@" 2>"$WORK/stderr")"
  rc=$?
}

expect_clean() {  # what, then checker args
  local what="$1"; shift
  run "$@"
  [ "$rc" -eq 0 ] || fail "$what: expected a clean pass, got status $rc:"$'\n'"$out$(cat "$WORK/stderr")"
}

expect_report() {  # what, expected line, then checker args; that line must be the whole report
  local what="$1" expected="$2"; shift 2
  run "$@"
  [ "$rc" -eq 1 ] || fail "$what: expected status 1, got $rc"
  [ "$out" = "$expected" ] || fail "$what: expected"$'\n'"  $expected"$'\n'"got"$'\n'"$(sed 's/^/  /' <<<"$out")"
}

# --- a clean tree: a few files per layer, using each allowed kind of edge ----
CLEAN="$WORK/clean"
TREE="$CLEAN"
put src/platform/result.h '#pragma once' '#include <variant>'
put src/platform/process.h '#pragma once' '#include <string>' '#include "platform/result.h"'
put src/platform/linux/unique_fd.h '#include <unistd.h>'
put src/platform/linux/process.cpp '#include "platform/process.h"' '#include <sys/wait.h>' \
    '#include <fcntl.h>' '#include "unique_fd.h"'
put src/imaging/bitmap.h '#include "platform/result.h"'
put src/imaging/canvas.h '#include "imaging/bitmap.h"'
put src/imaging/png.cpp '#include <png.h>' '#include <zlib.h>' '#include "imaging/canvas.h"'
put src/ui/dialog.h '#include "imaging/canvas.h"' '#include "platform/result.h"'
put src/ui/dialog_template.h '#include "ui/dialog.h"'
put src/ui/choosers.h '#include "ui/dialog.h"'
put src/ui/qt/dialog.cpp '#include <QWidget>' '#include <QtCore/QString>' '#include "ui/dialog.h"' \
    '#include "ui/dialog_template.h"'
put resources/templates/control_ids.h '#pragma once'
put resources/templates/dialog_template.h '#include "ui/dialog_template.h"' '#include "control_ids.h"' \
    '#include "payloads/payloads.h"'
put resources/payloads/payloads.h '#pragma once'
put resources/payloads/payloads.cpp '#include "payloads/payloads.h"' '#include "payload_list.inc"'
put resources/icons/icons.cpp '#include "imaging/canvas.h"' '#include "icons/icons.h"'
put resources/icons/icons.h '#pragma once'
put src/adbtool/command_runner.h '#include "platform/process.h"' '#include "ui/choosers.h"' \
    '#include "payloads/payloads.h"' '#include "imaging/bitmap.h"'
put src/adblink/device_list.h '#include "adbtool/command_runner.h"'
put src/adblink/gui/device_menu.h '#include "adblink/device_list.h"' '#include "templates/control_ids.h"'
put src/controls/button_face.h '#include "ui/dialog.h"' '#include "adbtool/command_runner.h"'
put src/controls/gui/smart_button.h '#include "controls/button_face.h"'
put src/install/install_workers.h '#include "adblink/device_list.h"' '#include "ui/choosers.h"'
put src/install/install_workers.cpp '#include "install/install_workers.h"' \
    '// #include "app/gui/main_dialog.h"' '/* #include <unistd.h>' '   #include <QWidget> */' \
    'static const char* kPattern = "*/*";  // a comment marker inside a string' \
    '#include "adbtool/command_runner.h"' '// a "/*" after "//" opens nothing: gui/*.h'
put src/install/gui/install_button.h '#include "install/install_workers.h"' \
    '#include "controls/gui/smart_button.h"' '#include "ui/dialog.h"' '#include "adblink/gui/device_menu.h"'
put src/install/gui/install_button.cpp '#include "install_button.h"'
put src/capture/capture_framebuffer.h '#include "adblink/device_list.h"' '#include "imaging/canvas.h"'
put src/capture/gui/screenshot_dialog.h '#include "capture/capture_framebuffer.h"' '#include "ui/dialog.h"'
put src/help/gui/help_dialog.h '#include "ui/dialog.h"' '#include "controls/gui/smart_button.h"'
put src/help/gui/help_dialog.cpp '#include "help/gui/help_dialog.h"' '#include "templates/dialog_template.h"'
put src/app/gui/main_dialog.h '#include "install/gui/install_button.h"' \
    '#include "capture/gui/screenshot_dialog.h"' '#include "help/gui/help_dialog.h"' \
    '#include "templates/control_ids.h"'
put src/app/application.h '#include "app/gui/main_dialog.h"'
put src/main.cpp '#include <QApplication>' '#include "ui/qt/dialog.h"' '#include "app/application.h"' \
    '#include "templates/dialog_template.h"'
# Odd files the walk must survive: empty, binary, not UTF-8, CRLF, an
# unterminated comment, a folder named like a header, a non-source file.
: >"$TREE/src/platform/empty.h"
printf 'ELF\0\1\2\n#include <unistd.h>\n' >"$TREE/src/imaging/blob.cpp"
printf '// caf\xe9 \xff\xfe\n#include "imaging/bitmap.h"\n' >"$TREE/src/imaging/latin1.h"
printf '#include "platform/process.h"\r\n#include <string>\r\n' >"$TREE/src/adbtool/crlf.h"
printf '#include "adbtool/command_runner.h"\n/* never closed\n#include <QWidget>\n' >"$TREE/src/adblink/open_comment.h"
mkdir -p "$TREE/src/help/gui/odd.h" "$TREE/src/install/.cache"
printf '#include <unistd.h>\n' >"$TREE/src/install/.cache/x.cpp"
printf '#include <unistd.h>\n' >"$TREE/src/imaging/notes.txt"

expect_clean "clean tree" --root "$CLEAN"

# --- injected faults ----------------------------------------------------------
# Every include is judged on its own, so all faults go into one tree and the
# report must be exactly these lines, no more and no fewer.
# file | line added at its end | what the checker must say about it
TREE="$WORK/fault"
cp -r "$CLEAN" "$TREE"
: >"$WORK/expected"
while IFS='|' read -r file line message; do
  [ -n "$file" ] || continue
  mkdir -p "$(dirname "$TREE/$file")"
  printf '%s\n' "$line" >>"$TREE/$file"
  echo "$file:$(wc -l <"$TREE/$file"): $message" >>"$WORK/expected"
done <<'EOF'
src/platform/x.h|#include "adbtool/command_runner.h"|platform may not include adbtool (adbtool/command_runner.h)
src/platform/process.h|#include "imaging/bitmap.h"|platform may not include imaging (imaging/bitmap.h)
src/install/install_workers.cpp|#include "templates/control_ids.h"|install may not include resources/templates (templates/control_ids.h)
src/install/install_workers.cpp|#include "app/gui/main_dialog.h"|install may not include app (app/gui/main_dialog.h)
src/install/install_workers.cpp|#include "../app/application.h"|install may not include app (../app/application.h)
src/install/install_workers.cpp|#include "gui/install_button.h"|install may not include install/gui (gui/install_button.h)
src/install/install_workers.cpp|  #  include "templates/dialog_template.h" // spaced out|install may not include resources/templates (templates/dialog_template.h)
src/install/install_workers.h|#include "controls/button_face.h"|install may not include controls (controls/button_face.h)
src/adbtool/command_runner.h|#include "install/install_workers.h"|adbtool may not include install (install/install_workers.h)
src/adbtool/command_runner.h|#include "templates/control_ids.h"|adbtool may not include resources/templates (templates/control_ids.h)
src/packages/x.cpp|#include "templates/control_ids.h"|packages may not include resources/templates (templates/control_ids.h)
src/ui/qt/dialog.cpp|#include "templates/dialog_template.h"|ui/qt may not include resources/templates (templates/dialog_template.h)
src/ui/dialog_template.h|#include "templates/control_ids.h"|ui may not include resources/templates (templates/control_ids.h)
src/adblink/device_list.h|#include "controls/button_face.h"|adblink may not include controls (controls/button_face.h)
src/capture/gui/screenshot_dialog.h|#include "ui/qt/dialog.h"|capture/gui may not include ui/qt (ui/qt/dialog.h)
src/help/gui/help_dialog.cpp|#include "capture/gui/screenshot_dialog.h"|help/gui may not include capture/gui (capture/gui/screenshot_dialog.h)
src/help/gui/help_dialog.cpp|#include "capture/capture_framebuffer.h"|help/gui may not include capture (capture/capture_framebuffer.h)
src/install/gui/install_button.cpp|#include "driver/gui/driver_button.h"|install/gui may not include driver/gui (driver/gui/driver_button.h)
src/capture/gui/x.cpp|#include <QWidget>|capture/gui may not include Qt headers (<QWidget>)
src/app/gui/main_dialog.h|#include <QtWidgets/QDialog>|app may not include Qt headers (<QtWidgets/QDialog>)
resources/templates/dialog_template.h|#include <QString>|resources/templates may not include Qt headers (<QString>)
resources/payloads/payloads.cpp|#include <QByteArray>|resources may not include Qt headers (<QByteArray>)
src/imaging/x.cpp|#include <unistd.h>|imaging may not include Linux-only headers (<unistd.h>)
src/adbtool/crlf.h|#include <sys/socket.h>|adbtool may not include Linux-only headers (<sys/socket.h>)
src/platform/process.h|#include <poll.h>|platform may not include Linux-only headers (<poll.h>)
src/app/application.h|#include <windows.h>|app may not include Windows headers (<windows.h>)
src/capture/capture_framebuffer.h|#include <png.h>|capture may not include image codec headers (<png.h>)
EOF
# A file outside every folder of the table is reported, so the table is kept complete.
put src/newthing/x.cpp '#include <string>'
echo "src/newthing/x.cpp: not in any layer of the table" >>"$WORK/expected"

run --root "$TREE"
[ "$rc" -eq 1 ] || fail "faults: expected status 1, got $rc"
grep -q "^check-layers: $(wc -l <"$WORK/expected") violation" "$WORK/stderr" ||
  fail "faults: wrong summary: $(cat "$WORK/stderr")"
LC_ALL=C sort "$WORK/expected" >"$WORK/expected.sorted"
LC_ALL=C sort <<<"$out" | diff -u "$WORK/expected.sorted" - >"$WORK/diff" ||
  fail "faults: the report differs from the expected one"$'\n'"$(cat "$WORK/diff")"

# --- CMake link edges ---------------------------------------------------------
# The format cmake --graphviz writes; Qt and GTest targets map to no layer.
graph() {
  printf 'digraph "nimbo" {\nnode [\n  fontsize = "12"\n];\n'
  local i=0 t
  for t in nimbo_platform nimbo_ui nimbo_resources nimbo_icons nimbo_adbtool nimbo_install \
           nimbo_install_gui nimbo_app_gui nimbo Qt6::Widgets GTest::gtest nimbo_resources_templates; do
    printf '    "node%d" [ label = "%s", shape = octagon ];\n' "$i" "$t"
    i=$((i + 1))
  done
  local e
  for e in "$@"; do
    printf '    "node%s" -> "node%s" [ style = dashed ] // \n' "${e%%:*}" "${e##*:}"
  done
  echo "}"
}
# 1 ui -> 0 platform, 4 adbtool -> 2 resources, 3 icons and 1 ui, 5 install -> 4 and 1,
# 6 install_gui -> 5 and 11 templates, 7 app_gui -> 6 and 11, 8 nimbo -> 7, 7 -> 9 Qt,
# 5 -> 10 GTest, 11 templates -> 2
OK_EDGES=(1:0 4:2 4:3 4:1 5:4 5:1 6:5 6:1 6:11 7:6 7:11 8:7 7:9 5:10 2:1 11:2)
graph "${OK_EDGES[@]}" >"$WORK/ok.dot"
expect_clean "link graph" --root "$CLEAN" --graph "$WORK/ok.dot"
graph "${OK_EDGES[@]}" 5:11 >"$WORK/bad.dot"
expect_report "install links the templates" \
  "CMake: nimbo_install (install) may not link nimbo_resources_templates (resources/templates)" \
  --root "$CLEAN" --graph "$WORK/bad.dot"
graph "${OK_EDGES[@]}" 5:6 >"$WORK/back.dot"
expect_report "install links its own gui" \
  "CMake: nimbo_install (install) may not link nimbo_install_gui (install/gui)"$'\n'"CMake: targets link each other in a cycle: nimbo_install nimbo_install_gui" \
  --root "$CLEAN" --graph "$WORK/back.dot"
graph "${OK_EDGES[@]}" 3:2 2:3 >"$WORK/cycle.dot"
expect_report "link cycle inside one layer" \
  "CMake: targets link each other in a cycle: nimbo_icons nimbo_resources" --root "$CLEAN" --graph "$WORK/cycle.dot"

# --build runs cmake itself; a small project keeps this to a fraction of a second.
if command -v cmake >/dev/null; then
  mkdir -p "$WORK/proj"
  cat >"$WORK/proj/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(layers NONE)
add_library(nimbo_platform INTERFACE)
add_library(nimbo_adbtool INTERFACE)
target_link_libraries(nimbo_adbtool INTERFACE nimbo_platform)
add_library(nimbo_app_gui INTERFACE)
add_library(nimbo_capture_gui INTERFACE)
target_link_libraries(nimbo_capture_gui INTERFACE nimbo_adbtool $<TARGET_NAME_IF_EXISTS:nimbo_app_gui>)
CMAKE
  if cmake -S "$WORK/proj" -B "$WORK/proj/build" >/dev/null 2>&1; then
    expect_report "cmake --graphviz" "CMake: nimbo_capture_gui (capture/gui) may not link nimbo_app_gui (app)" \
      --root "$CLEAN" --build "$WORK/proj/build"
  else
    fail "could not configure the small CMake project"
  fi
fi

# --- the table itself -----------------------------------------------------------
printf 'include-roots src\na src/a : a b\nb src/b : b a\n' >"$WORK/cycle.txt"
run --root "$CLEAN" --table "$WORK/cycle.txt"
[ "$rc" -eq 2 ] && grep -q 'cycle: a -> b -> a' "$WORK/stderr" || fail "a cyclic table must be refused (status $rc)"
printf 'include-roots src\na src/a : a b\n' >"$WORK/unknown.txt"
run --root "$CLEAN" --table "$WORK/unknown.txt"
[ "$rc" -eq 2 ] && grep -q 'a lists unknown b' "$WORK/stderr" || fail "an unknown layer must be refused (status $rc)"

# The picture leaves out arrows that a path already implies (side -> low goes
# through mid) and, the relation not being transitive, notes on a node what its
# arrows reach that it may not include: top reaches low through mid.
cat >"$WORK/picture.txt" <<'TABLE'
include-roots src
low      src/low      : low
mid      src/mid      : low mid
top      src/top      : mid top @g
top/gui  src/top/gui  : top top/gui
side     src/side     : low mid side
group @g "G headers" g.h
TABLE
run --table "$WORK/picture.txt" --dot mermaid
diff -u - <(printf '%s\n' "$out") >"$WORK/diff" <<'MERMAID' || fail "mermaid picture:"$'\n'"$(cat "$WORK/diff")"
flowchart TD
  side["side"]
  top_gui["top/gui<br/>not low, mid"]
  top["top<br/>+ G headers<br/>not low"]
  mid["mid"]
  low["low"]
  mid --> low
  top --> mid
  top_gui --> top
  side --> mid
MERMAID
run --table "$WORK/picture.txt" --dot
grep -qxF '  "top/gui" [label="top/gui\nnot low, mid"];' <<<"$out" && grep -qxF '  "top/gui" -> "top";' <<<"$out" &&
  ! grep -q '"side" -> "low"' <<<"$out" || fail "graphviz picture:"$'\n'"$out"
# The same on the real table: app reaches platform only through other layers.
run --dot
grep -qxF '  "main" -> "ui/qt";' <<<"$out" && ! grep -q '"app" -> "platform"' <<<"$out" ||
  fail "graphviz picture of scripts/layers.txt:"$'\n'"$out"

# docs/architecture.md shows the picture of the table as it is now.
sed -n '/^```mermaid$/,/^```$/p' "$REPO/docs/architecture.md" | sed '1d;$d' >"$WORK/doc.mmd"
run --dot mermaid
diff -u "$WORK/doc.mmd" - <<<"$out" >"$WORK/diff" ||
  fail "docs/architecture.md: the picture is stale; paste in the output of scripts/check-layers --dot mermaid"$'\n'"$(cat "$WORK/diff")"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "check-layers: all checks passed"
