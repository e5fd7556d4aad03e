#!/usr/bin/env python3
"""Checks that every C and C++ file of the project is compiled with warnings
as errors (-Wall -Wextra -Werror, or /W4 /WX), in each build folder given.

The compile commands CMake exports (compile_commands.json) are the ground
truth: a target that forgot morvessa_warnings() shows up here with the files
it compiles. GoogleTest's own sources are not ours and are left out.

usage: check_warning_flags.py --source <project root> <build folder>...
"""
import argparse
import json
import os
import shlex
import sys

REQUIRED_GCC = ("-Wall", "-Wextra", "-Werror")
REQUIRED_MSVC = ("/W4", "/WX")
SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".cxx")


def arguments_of(entry):
    if "arguments" in entry:
        return entry["arguments"]
    return shlex.split(entry["command"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("builds", nargs="+")
    options = parser.parse_args()
    source = os.path.realpath(options.source)

    problems = []
    checked = 0
    for build in options.builds:
        database = os.path.join(build, "compile_commands.json")
        if not os.path.exists(database):
            problems.append(f"{database}: missing (configure the build first)")
            continue
        with open(database, encoding="utf-8") as stream:
            entries = json.load(stream)
        for entry in entries:
            path = os.path.realpath(os.path.join(entry.get("directory", ""), entry["file"]))
            if not path.startswith(source + os.sep) or not path.endswith(SOURCE_SUFFIXES):
                continue
            relative = os.path.relpath(path, source)
            if relative.startswith("build" + os.sep):
                continue  # generated into a build folder
            flags = arguments_of(entry)
            if not (all(f in flags for f in REQUIRED_GCC) or all(f in flags for f in REQUIRED_MSVC)):
                output = entry.get("output", "")
                problems.append(f"{os.path.basename(build)}: {relative} ({output}) "
                                f"lacks {' '.join(f for f in REQUIRED_GCC if f not in flags)}")
            checked += 1

    if checked == 0 and not problems:
        problems.append("no project sources found in the compile commands")
    for problem in problems:
        print(problem)
    print(f"{checked} compilations checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
