#!/bin/sh
# Compiler launcher of the sanitizers' build (scripts/test.sh): the compile
# command as CMake gives it, with UndefinedBehaviorSanitizer's dynamic-type
# check (vptr) turned off after the build's own -fsanitize options.
#
# WebKitGTK and JavaScriptCore are built without run-time type information.
# JavaScriptCore drops its last std::shared_ptr references through the
# program's copy of libstdc++'s out-of-line control-block code (one
# definition serves the whole process), and the check compiled into that
# copy finds no type information behind JavaScriptCore's objects: it reports
# an "invalid vptr" and ends the program, at a garbage collection or at exit.
# Such reports cannot be suppressed at run time. AddressSanitizer and every
# other undefined-behaviour check stay on.
exec "$@" -fno-sanitize=vptr
