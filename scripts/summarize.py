#!/usr/bin/env python3
"""Adds up the GoogleTest XML reports of a test run into one closing line."""
import pathlib
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
for folder in sys.argv[1:]:
    for report in sorted(pathlib.Path(folder).glob("*.xml")):
        root = ET.parse(report).getroot()
        tests = int(root.get("tests", 0))
        fails = int(root.get("failures", 0)) + int(root.get("errors", 0))
        skips = int(root.get("skipped", 0)) + int(root.get("disabled", 0))
        print(f"{report.parent.parent.name}/{report.stem}: {tests - fails - skips} passed, {fails} failed, {skips} skipped")
        passed += tests - fails - skips
        failed += fails
        skipped += skips
print(f"Total: {passed} passed, {failed} failed, {skipped} skipped")
sys.exit(1 if failed or passed == 0 else 0)
