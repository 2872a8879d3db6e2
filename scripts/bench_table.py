#!/usr/bin/env python3
"""The table of `make bench`: every figure beside its reference from the same
run, their ratio, the goal and whether it was met. Reads the results that
scripts/bench.sh left (core.json from Google Benchmark, and the "sample NAME
VALUE" lines of the Wine programs), prints the table and puts it into
docs/performance.md between its two markers, with the date and the machine.

Usage: bench_table.py RESULTS_DIR PERFORMANCE_MD
"""

import datetime
import json
import os
import platform
import re
import statistics
import sys

BEGIN = "<!-- make bench: the table below is written by scripts/bench_table.py -->"
END = "<!-- end of the table -->"
MIB = 1 << 20


def core_medians(path):
    """Median CPU time in ms of each benchmark, by its run name."""
    with open(path) as f:
        data = json.load(f)
    units = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    out = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median" and not b.get("error_occurred"):
            out[b["run_name"]] = b["cpu_time"] * units[b["time_unit"]]
    return out


def samples(path):
    """Medians of the "sample" lines, and the problems the programs reported."""
    values, problems = {}, []
    if os.path.exists(path):
        for line in open(path):
            parts = line.split()
            if len(parts) == 3 and parts[0] == "sample":
                values.setdefault(parts[1], []).append(float(parts[2]))
            elif parts and parts[0] == "problem":
                problems.append(" ".join(parts[1:]))
    return {k: statistics.median(v) for k, v in values.items()}, problems


def rate(size_mib, ms):
    return f"{size_mib / 1024 / (ms / 1000):.1f} GB/s" if ms else "?"


def ms(value):
    if value is None:
        return "?"
    return f"{value:,.0f} ms" if value >= 100 else f"{value:.1f} ms" if value >= 1 else f"{value:.2f} ms"


class Table:
    def __init__(self):
        self.rows = []

    def row(self, figure, measured, reference, ratio, goal, met, why=""):
        if ratio is None:
            result = "missed"
            ratio_text = "?"
        else:
            result = "met" if met(ratio) else "missed"
            ratio_text = f"{ratio:.2f}" if goal.startswith("≥") else f"{ratio:.2f}×"
        self.rows.append([figure, measured, reference, ratio_text, goal, result, why])

    def report(self, figure, measured, reference, why=""):
        self.rows.append([figure, measured, reference, "", "report", "reported", why])

    def markdown(self):
        head = ["Figure", "Measured", "Reference, same run", "Ratio", "Goal", "Result", "Why"]
        lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
        lines += ["| " + " | ".join(r) + " |" for r in self.rows]
        return "\n".join(lines)


def ratio_of(a, b):
    return a / b if a and b else None


def core_rows(t, core):
    for size, label in ((8, "8 MiB"), (100, "100 MiB")):
        arg = size * MIB
        copy = core.get(f"copy_limit/{arg}")
        copy_text = f"memcpy {rate(size, copy)}"
        cache_note = lambda r: (
            f"at 8 MiB memcpy runs from the cache ({rate(size, copy)}); see the 100 MiB row"
            if size == 8 and r is not None and r < 1
            else ""
        )

        decode = core.get(f"decode_file/{arg}")
        r = ratio_of(copy, decode)
        t.row(f"Opening {label}: `decode_bytes` + `detect_eol`", rate(size, decode), copy_text, r, "≥ 0.25",
              lambda x: x >= 0.25, "" if r and r >= 0.25 else cache_note(r))
        for key, name in (("utf8", "UTF-8"), ("utf8_bom", "UTF-8 BOM"), ("utf16_le", "UTF-16 LE"),
                          ("utf16_be", "UTF-16 BE"), ("ansi", "ANSI")):
            save = core.get(f"save_as/{key}/{arg}")
            r = ratio_of(copy, save)
            t.row(f"Saving {label} as {name}: `convert_line_ends` + `encode_text`", rate(size, save), copy_text, r,
                  "≥ 0.1", lambda x: x >= 0.1, "" if r and r >= 0.1 else cache_note(r))
    fixed = core.get("seal_fixed")
    for size, label in ((8, "8 MiB"), (100, "100 MiB")):
        arg = size * MIB
        sealed, raw = core.get(f"seal_text/{arg}"), core.get(f"raw_gcm/{arg}")
        sliced = core.get(f"gcm_slices/{arg}")
        r = ratio_of(sealed, raw)
        why = ""
        if (r is None or r > 1.15) and sealed and sliced and fixed is not None:
            # Where the time beside the cipher went, from the parts measured in the same run.
            why = (f"the fixed part of a seal (nonce, cipher set-up, tag): {fixed * 1000:.1f} µs; the cipher alone "
                   f"in seal's 4 KiB slices: {ms(sliced)} ({ratio_of(sliced, raw) or 0:.2f}×); the rest, "
                   f"{ms(max(sealed - sliced, 0))}, is growing the sealed buffer slice by slice")
        t.row(f"Sealing {label}: `seal`", ms(sealed), f"libgcrypt AES-256-GCM {ms(raw)}", r, "≤ 1.15×",
              lambda x: x <= 1.15, why)


def store_rows(t, store):
    for key, name, protection in (("dpapi", "DPAPI", "CryptProtectData"), ("password", "password", "`seal`")):
        total, atomic = store.get(f"store.{key}"), store.get(f"atomic.{key}")
        text, protect = store.get(f"text.{key}"), store.get(f"protect.{key}")
        r = ratio_of(total, atomic)
        why = ""
        if r is None or r > 2:
            why = (f"taking the text out of Wine's Rich Edit alone: {ms(text)}; {protection} alone: {ms(protect)}; "
                   f"each is already {ratio_of(text, atomic) or 0:.1f}× and {ratio_of(protect, atomic) or 0:.1f}× "
                   f"the write")
        t.row(f"`store_session` of a modified 10 MiB tab, {name}", ms(total), f"atomic write alone {ms(atomic)}", r,
              "≤ 2×", lambda x: x <= 2, why)


def program_rows(t, program, open_mib, typing_mib, replace_mib):
    g = program.get
    t.row("Start to first paint (Wine)", ms(g("start.nimbol")), f"bare window with a Rich Edit {ms(g('start.bare'))}",
          ratio_of(g("start.nimbol"), g("start.bare")), "≤ 1.5×", lambda x: x <= 1.5)
    t.row(f"Opening a {open_mib} MiB UTF-8 file until its text is in the editor", ms(g("open.nimbol")),
          f"bare program {ms(g('open.bare'))}", ratio_of(g("open.nimbol"), g("open.bare")), "≤ 1.2×",
          lambda x: x <= 1.2)
    peak, bare_peak = g("peak.nimbol"), g("peak.bare")
    t.row("Peak working set while opening it", f"{peak:,.0f} MiB" if peak else "?",
          f"bare program {bare_peak:,.0f} MiB" if bare_peak else "?", ratio_of(peak, bare_peak), "≤ 1.1×",
          lambda x: x <= 1.1,
          f"{ratio_of(peak, open_mib) or 0:.0f}× the file; the bare program {ratio_of(bare_peak, open_mib) or 0:.0f}×")
    t.row(f"Saving the {open_mib} MiB file", ms(g("save.nimbol")),
          f"bare program's `WriteFile` of the encoded text {ms(g('save.bare'))}",
          ratio_of(g("save.nimbol"), g("save.bare")), "≤ 1.5×", lambda x: x <= 1.5)
    key, empty, bare_key = g("key.large"), g("key.empty"), g("key.large.bare")
    r = ratio_of(key, empty)
    why = ""
    if r is None or r > 1.2:
        why = (f"the bare program takes {ms(bare_key)} for the same keystroke; nearly all the rest is the status "
               f"bar's line number (Ln): Wine's Rich Edit answers `EM_EXLINEFROMCHAR` by walking the text from "
               f"its start, where the control on Windows keeps its lines indexed")
    t.row(f"A keystroke at the end of a {typing_mib} MiB document, until painted", ms(key),
          f"in an empty document {ms(empty)}", r, "≤ 1.2×", lambda x: x <= 1.2, why)
    t.report(f"The store after that keystroke: longest the window did not answer", ms(g("store.large")),
             f"in the empty document {ms(g('store.empty'))}")
    # Replace All puts a whole new text into the editor, as opening puts the
    # file's: the same file opened in the same run is its reference, and the
    # two sizes show whether its time grows with the text or faster.
    small = g("replace.1mib")
    for size in (1, replace_mib):
        replaced, opened = g(f"replace.{size}mib"), g(f"replace.open.{size}mib")
        why = ""
        if size != 1 and small and replaced:
            why = f"{replaced / small:.1f}× the time of 1 MiB for {size}× the text"
        t.row(f"Replace All in a {size} MiB file of short lines, until painted", ms(replaced),
              f"opening that file {ms(opened)}", ratio_of(replaced, opened), "≤ 1.5×", lambda x: x <= 1.5, why)


def machine():
    model, memory = platform.processor(), ""
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
        for line in open("/proc/meminfo"):
            if line.startswith("MemTotal"):
                memory = f"{int(line.split()[1]) / 1024 / 1024:.0f} GiB"
                break
    except OSError:
        pass
    flags = open("/proc/cpuinfo").read() if os.path.exists("/proc/cpuinfo") else ""
    virtual = ", virtual machine" if re.search(r"\bhypervisor\b", flags) else ""
    return f"{model}, {os.cpu_count()} cores{virtual}, {memory} memory, Linux {platform.release()}"


def main():
    results, doc = sys.argv[1], sys.argv[2]
    core = core_medians(os.path.join(results, "core.json"))
    store, store_problems = samples(os.path.join(results, "store.txt"))
    program, program_problems = samples(os.path.join(results, "program.txt"))
    wine = ""
    if os.path.exists(os.path.join(results, "wine.txt")):
        wine = open(os.path.join(results, "wine.txt")).read().strip()
    open_mib = int(os.environ.get("NIMBOL_BENCH_OPEN_MIB", "100"))
    typing_mib = int(os.environ.get("NIMBOL_BENCH_TYPING_MIB", "50"))
    replace_mib = int(os.environ.get("NIMBOL_BENCH_REPLACE_MIB", "5"))

    t = Table()
    core_rows(t, core)
    store_rows(t, store)
    program_rows(t, program, open_mib, typing_mib, replace_mib)

    when = datetime.date.today().isoformat()
    header = f"Measured {when} on {machine()}" + (f", {wine}" if wine else "") + "."
    problems = store_problems + program_problems
    text = header + "\n\n" + t.markdown() + "\n"
    if problems:
        text += "\nProblems the programs reported: " + "; ".join(problems) + "\n"
    print(text)

    with open(doc) as f:
        page = f.read()
    if BEGIN in page and END in page:
        before, rest = page.split(BEGIN, 1)
        after = rest.split(END, 1)[1]
        page = before + BEGIN + "\n\n" + text + "\n" + END + after
        with open(doc, "w") as f:
            f.write(page)
    else:
        print(f"({doc} has no place for the table; it was left as it was.)", file=sys.stderr)
    missed = sum(1 for r in t.rows if r[5] == "missed")
    print(f"{len(t.rows)} figures, {missed} missed.")


if __name__ == "__main__":
    main()
