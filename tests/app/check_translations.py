#!/usr/bin/env python3
"""Fails when a text the window shows has no finished translation.

Runs lupdate over the sources into a copy of each .ts file, as
`make translations` would, so that a tr() text added without its
translation is found even before anyone updated the .ts file. Then every
message of the copy must be finished, keep the source's placeholders (%1..)
and line breaks, and lrelease must compile it without an unfinished or
untranslated entry. The committed .ts must equal the updated copy, and
every text of messages.h must carry the marker lupdate finds it by.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# messages.h entries that are names, not texts: never translated.
NOT_TEXTS = {"ApplicationName"}


def unmarked_messages(messages_h):
    text = open(messages_h, encoding="utf-8").read()
    problems = []
    for match in re.finditer(r"inline constexpr const char\* (\w+) =([^;]*);", text):
        name, value = match.groups()
        if name not in NOT_TEXTS and "QT_TRANSLATE_NOOP(" not in value:
            problems.append(f"{messages_h}: {name} is not marked with QT_TRANSLATE_NOOP")
    return problems


def message_problems(ts_file):
    problems = []
    for context in ET.parse(ts_file).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            kind = "" if translation is None else translation.get("type", "")
            where = f"{name}: {source!r}"
            # A text with a count (%n) has one form per plural of the language.
            if translation is None:
                texts = [""]
            elif message.get("numerus") == "yes":
                texts = [form.text or "" for form in translation.iter("numerusform")] or [""]
            else:
                texts = [translation.text or ""]
            if kind in ("unfinished", "vanished", "obsolete") or not all(texts):
                problems.append(f"unfinished: {where}")
                continue
            for text in texts:
                if sorted(re.findall(r"%[\dn]", source)) != sorted(re.findall(r"%[\dn]", text)):
                    problems.append(f"placeholders differ: {where} -> {text!r}")
                if source.count("\n") != text.count("\n"):
                    problems.append(f"line breaks differ: {where} -> {text!r}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lupdate", required=True)
    parser.add_argument("--lrelease", required=True)
    parser.add_argument("--root", required=True, help="the source tree lupdate runs in")
    parser.add_argument("--messages", required=True, help="messages.h")
    parser.add_argument("--ts", action="append", required=True)
    parser.add_argument("--plural-ts", action="append", default=[],
                        help="a .ts of the plural forms alone (the source language's)")
    parser.add_argument("--option", action="append", default=[], help="an lupdate option")
    parser.add_argument("sources", nargs="+")
    args = parser.parse_args()

    problems = unmarked_messages(args.messages)
    with tempfile.TemporaryDirectory() as scratch:
        for ts in args.ts + args.plural_ts:
            copy = os.path.join(scratch, os.path.basename(ts))
            shutil.copyfile(ts, copy)
            plurals = ["-pluralonly"] if ts in args.plural_ts else []
            subprocess.run([args.lupdate, *args.option, *plurals, *args.sources, "-ts", copy], cwd=args.root,
                           check=True, stdout=subprocess.DEVNULL)
            problems += message_problems(copy)
            released = subprocess.run([args.lrelease, copy, "-qm", copy + ".qm"], check=True, capture_output=True,
                                      text=True).stdout
            counts = re.search(r"\((\d+) finished and (\d+) unfinished\)", released)
            ignored = re.search(r"Ignored (\d+) untranslated", released)
            if not counts or int(counts.group(2)) > 0 or ignored:
                problems.append(f"lrelease: {released.strip()}")
            if open(copy, encoding="utf-8").read() != open(ts, encoding="utf-8").read():
                problems.append(f"{ts} is not up to date with the sources: run `make translations`")
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} problem(s); translate with Qt Linguist or an editor after `make translations`")
        return 1
    print("every text is translated")
    return 0


if __name__ == "__main__":
    sys.exit(main())
