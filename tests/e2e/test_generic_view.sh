#!/usr/bin/env bash
# The generic view end to end: the views test over the recorded messages
# without a template of their own (types 9 to 12, 14 to 17, 19, 20, 22, 23,
# 25 to 27, reserved ones, and 6 and 8 of other applications): each column
# opens the generic view titled after its message type, and its list holds
# asm-decode's rows, each text whole in its column. See test_views.sh.
VIEWS_PART=generic
source "$(dirname "$0")/test_views.sh"
