"""Checks that no source file includes a header from a higher floor.

The folders under src/ are the program's layers; a file may include headers of its own folder
and of the floors below it. usage: check_layers.py SRC_FOLDER
"""
import pathlib
import re
import sys

# What is computed from a document (analysis) stands beside the exports and the view: what they
# show of it is worked out above them and handed down as plain values.
FLOORS = {"platform": 1, "document": 2, "analysis": 3, "output": 3, "view": 3, "edit": 4,
          "app": 5, "qt": 6}
# The command-line tool stands beside the program, on the document, analysis and output layers.
ALLOWED = {"trace_tool": {"trace_tool", "platform", "document", "analysis", "output"}}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.MULTILINE)


def allowed(folder, target):
    if folder in ALLOWED:
        return target in ALLOWED[folder]
    if folder not in FLOORS or target not in FLOORS:
        return False
    return target == folder or FLOORS[target] < FLOORS[folder]


def main(src):
    faults = []
    for path in sorted(pathlib.Path(src).rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(src).parts[0]
        for target in INCLUDE.findall(path.read_text()):
            if not allowed(folder, target):
                faults.append(f"{path.relative_to(src)} includes a header of {target}/")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
