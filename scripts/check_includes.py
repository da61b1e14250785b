#!/usr/bin/python3
"""The include map: every `#include "..."` of a project file stays within what its folder's line
in the README's "For developers" list allows. A line reads "- `folder/`: what lives there;
includes `a/`, `b/file.h` and, of `c/` and `d/`, the ... only (`x.h`, `y.h`)." A folder may
always include its own files (its subfolders have lines of their own); the tests may include
anything. Names every breach, every folder with C++ files but no line, and every path a line
names that does not exist. Usage: check_includes.py [REPOSITORY]"""

import os
import re
import subprocess
import sys

FREE_FOLDER = "tests/"  # "the tests may include whatever they test"
SOURCE_PATTERNS = ["*.cpp", "*.h", "*.c", "*.hpp"]

ITEM = re.compile(r"^- `([^`]+/)`:(.*)$")
# "of `c/` and `d/`, the interfaces' declarations only (`x.h`, `y.h`, ...)": the named files of
# those folders, not the folders.
FILES_OF_FOLDERS = re.compile(r"of ((?:`[^`]+/`(?:,? and |, )?)+),?[^()`]*?\bonly \(([^)]*)\)")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def backticked(text):
    return re.findall(r"`([^`]+)`", text)


def folder_items(readme):
    """Yields (folder, the line's text) for each item of the "For developers" folder list."""
    section = readme.split("\n## For developers\n", 1)
    if len(section) < 2:
        raise ValueError('README.md has no "## For developers" section')
    folder, text = None, ""
    for line in section[1].split("\n"):
        if line.startswith("## "):
            break
        item = ITEM.match(line)
        if item:
            if folder:
                yield folder, text
            folder, text = item.group(1), item.group(2)
        elif folder and line.startswith("  "):
            text += " " + line.strip()
        elif folder:
            yield folder, text
            folder = None
    if folder:
        yield folder, text


def allowance(folder, text, exists):
    """The folders and single files a line allows, and the problems found in reading it."""
    folders, files, problems = {folder}, set(), []
    clause = re.search(r".*\bincludes\b(.*)$", text)  # the last "includes": the line's clause
    if not clause:
        return folders, files, problems
    clause = clause.group(1)
    for named in FILES_OF_FOLDERS.finditer(clause):
        owners = backticked(named.group(1))
        for name in backticked(named.group(2)):
            found = [owner + name for owner in owners if exists(owner + name)]
            if not found:
                problems.append(f"`{folder}` line: `{name}` is in none of {owners}")
            files.update(found)
    for name in backticked(FILES_OF_FOLDERS.sub("", clause)):
        if name.endswith("/"):
            folders.add(name)
        elif "/" in name:
            files.add(name)
        else:
            problems.append(f"`{folder}` line: `{name}` names no folder")
            continue
        if not exists(name):
            problems.append(f"`{folder}` line: `{name}` does not exist")
    return folders, files, problems


def tracked_files(root, patterns):
    listing = subprocess.run(["git", "-C", root, "ls-files", "-z", "--", *patterns],
                             check=True, capture_output=True, text=True).stdout
    return [path for path in listing.split("\0") if path]


def folder_of(path):
    return os.path.dirname(path) + "/"


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    tracked = tracked_files(root, SOURCE_PATTERNS)
    everything = set(tracked_files(root, []))
    tracked_folders = {folder_of(path)[:-1] for path in everything}
    tracked_folders |= {
        "/".join(folder.split("/")[:depth]) for folder in tracked_folders
        for depth in range(1, folder.count("/") + 1)}

    def exists(name):
        return name.rstrip("/") in (tracked_folders if name.endswith("/") else everything)

    with open(os.path.join(root, "README.md"), encoding="utf-8") as readme:
        items = list(folder_items(readme.read()))
    rules, problems = {}, []
    for folder, text in items:
        folders, files, found = allowance(folder, text, exists)
        rules[folder] = (folders, files)
        problems += found

    for path in tracked:
        if path.startswith(FREE_FOLDER):
            continue
        folder = folder_of(path)
        if folder not in rules:
            problems.append(f"{path}: its folder `{folder}` has no line in README.md")
            continue
        folders, files = rules[folder]
        with open(os.path.join(root, path), encoding="utf-8") as source:
            text = source.read()
        for match in INCLUDE.finditer(text):
            name = match.group(1)
            if name not in everything:
                # Beside the including file, or not the project's (a system or generated header).
                if os.path.normpath(folder + name) in everything:
                    name = os.path.normpath(folder + name)
                else:
                    continue
            if folder_of(name) in folders or name in files:
                continue
            line = text.count("\n", 0, match.start()) + 1
            problems.append(f"{path}:{line}: includes {name}, which the `{folder}` line "
                            "in README.md does not allow")

    for problem in problems:
        print("includes: " + problem)
    if problems:
        return 1
    print(f"includes: {len(tracked)} files within the README's include map")
    return 0


if __name__ == "__main__":
    sys.exit(main())
