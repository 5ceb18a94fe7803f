#!/bin/sh
# Runs a command in a D-Bus session and on a virtual screen of its own, with a
# runtime folder of its own: the accessibility bus lives there, so a test
# running at the same time never shares it (nor its screen reader).
runtime=$(mktemp -d) || exit 1
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" "$@"
