#!/usr/bin/env python3
"""Checks that the source tree keeps its layers.

Each folder of src/ may include only from its own layer and those below it:
util < platform < typeface < ui < fonts < output < help < app. Qt's private headers are
included only inside the typeface folder's fence, and no test, bench or fuzz target includes one.
Every library of src/CMakeLists.txt takes the files of one folder. Prints what it finds; exits 1
when anything is out of place.
"""
import pathlib
import re
import sys

ORDER = ["util", "platform", "typeface", "ui", "fonts", "output", "help", "app"]
FENCE = "typeface/qtinternals"

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
problems = []

own_include = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.M)
private_include = re.compile(r'^\s*#\s*include\s+<([^>]*private/[^>]*)>', re.M)

for path in sorted((root / "src").rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    relative = path.relative_to(root / "src")
    folder = relative.parts[0]
    if folder not in ORDER:
        continue
    text = path.read_text(encoding="utf-8")
    for included in own_include.findall(text):
        if included in ORDER and ORDER.index(included) > ORDER.index(folder):
            problems.append(f"src/{relative}: includes {included}/, which lies above {folder}/")
    if private_include.search(text) and not str(relative).startswith(FENCE + "/"):
        problems.append(f"src/{relative}: includes a private Qt header outside src/{FENCE}/")

for tree in ("tests", "bench", "fuzz"):
    for path in sorted((root / tree).rglob("*")):
        if path.suffix in (".h", ".cpp") and private_include.search(path.read_text(encoding="utf-8")):
            problems.append(f"{path.relative_to(root)}: includes a private Qt header")

# Each library's sources come from one folder, and each folder goes into one library. The fence
# is a folder of its own.
def source_folder(source):
    parts = pathlib.PurePosixPath(source).parts
    return FENCE if "/".join(parts[:2]) == FENCE else parts[0]


cmake = (root / "src" / "CMakeLists.txt").read_text(encoding="utf-8")
libraries_of = {}
for name, body in re.findall(r"add_library\(\s*(\S+)(.*?)\)", cmake, re.S):
    folders = sorted({source_folder(s) for s in body.split() if s.endswith(".cpp")})
    if len(folders) > 1:
        problems.append(f"src/CMakeLists.txt: {name} takes files from {', '.join(folders)}")
    for folder in folders:
        libraries_of.setdefault(folder, set()).add(name)
for folder, libraries in sorted(libraries_of.items()):
    if len(libraries) > 1:
        problems.append(f"src/{folder}/ is split between {', '.join(sorted(libraries))}")

for problem in problems:
    print(problem)
print(f"{len(problems)} layering problem(s)")
sys.exit(1 if problems else 0)
