#!/usr/bin/env python3
"""Reads the JSON files of one run of every benchmark (scripts/bench.sh) and prints the README's table:
each measured path beside its floor, both from the same run, as a ratio.

    tools/bench_table.py RESULTS_DIR

A pair of which the run measured neither side (the 100,000 patients without --large) is left out; one
half missing (a skipped server half) is printed as a dash, so the table says what it lacks.
"""
import json
import pathlib
import sys

# (program file, benchmark, floor program file, floor benchmark, what, floor's meaning)
PAIRS = [
    ("engine", "BM_PatientSwitch", "engine", "BM_PatientSwitchFloor",
     "Patient switch", "the same rows by plain statements"),
    ("engine", "BM_OpenAll", "engine", "BM_OpenFloor",
     "Both data modules opened", "the same tables read by plain statements"),
    ("additions", "BM_PatientSwitch/1", "additions", "BM_PatientSwitch/0",
     "Patient switch with the PUVA exposure", "the switch without it"),
    ("additions", "BM_Post/1", "additions", "BM_Post/0",
     "Card post with the journal", "the post without it"),
    ("shell", "BM_TabChange", "shell", "BM_TabChangeFloor",
     "Alphabet tab with the archive", "the filter alone over the same rows"),
    ("shell", "BM_GridScroll", "shell", "BM_GridScrollFloor",
     "Patient grid, a page down", "a plain table view of the same texts"),
    ("treatment", "BM_EditorClosing", "treatment", "BM_EditorClosingFloor",
     "PUVA editor closing", "the same writes by plain statements"),
    ("report", "BM_FullCard", "report", "BM_ReadRowsFloor",
     "Full card, 10 courses", "the patient's rows by plain statements"),
    ("report", "BM_AllCoursesExtract", "report", "BM_ReadRowsFloor",
     "All-courses extract", "the patient's rows by plain statements"),
    ("maintenance", "BM_Maintenance/1/iterations:1/real_time", "maintenance",
     "BM_MaintenanceFloor/1/iterations:1/real_time",
     "Maintenance run 1 (course numbers)", "the same reads and writes by plain statements"),
    ("maintenance", "BM_Maintenance/5/iterations:1/real_time", "maintenance",
     "BM_MaintenanceFloor/5/iterations:1/real_time",
     "Maintenance run 5 (totals and links)", "the same reads and writes by plain statements"),
    ("maintenance", "BM_Maintenance/6/iterations:1/real_time", "maintenance",
     "BM_MaintenanceFloor/6/iterations:1/real_time",
     "Maintenance run 6 (empty fields)", "the same writes by plain statements"),
    ("shell", "BM_MaintenanceButton/1/iterations:1/real_time", "maintenance",
     "BM_MaintenanceFloor/1/iterations:1/real_time",
     "Maintenance button 1 with the main window up", "run 1's floor"),
    ("shell", "BM_MaintenanceButton/5/iterations:1/real_time", "maintenance",
     "BM_MaintenanceFloor/5/iterations:1/real_time",
     "Maintenance button 5 with the main window up", "run 5's floor"),
    ("server", "BM_PatientSwitch/1", "server", "BM_PatientSwitch/0",
     "Patient switch on PostgreSQL", "the same on the file"),
    ("server", "BM_FullCard/1", "server", "BM_FullCard/0",
     "Full card on PostgreSQL", "the same on the file"),
    ("outcomes", "BM_Outcomes/clinic_10k_100k:0/real_time", "outcomes",
     "BM_OutcomesFloor/clinic_10k_100k:0/real_time",
     "Treatment outcomes, 10,000 patients", "the same figures in one SQL statement"),
    ("outcomes", "BM_Outcomes/clinic_10k_100k:1/real_time", "outcomes",
     "BM_OutcomesFloor/clinic_10k_100k:1/real_time",
     "Treatment outcomes, 100,000 patients", "the same figures in one SQL statement"),
]
# The main window of a large clinic and of a clinic on the server, each beside the file of 10,000.
for bench, what in (("BM_MainWindowUp/{}/iterations:5", "Main window up"), ("BM_TabChange/{}", "Alphabet tab"),
                    ("BM_GridScroll/{}", "Patient grid, a page down")):
    for clinic, label in (("100k", "100,000 patients"), ("10k-server", "10,000 on PostgreSQL"),
                          ("100k-server", "100,000 on PostgreSQL")):
        PAIRS.append(("scale", bench.format(clinic), "scale", bench.format("10k"), f"{what}, {label}",
                      "the same, 10,000 on the file"))

# Figures without a floor of their own, given as they are.
SINGLES = [
    ("shell", "BM_MainWindowUp/iterations:5", "Main window up, 10,000 patients"),
    ("outcomes", "BM_WindowFirstFigures/clinic_10k_100k:0/real_time", "\"Итоги лечения\": first figures, 10,000"),
    ("outcomes", "BM_WindowFirstFigures/clinic_10k_100k:1/real_time", "\"Итоги лечения\": first figures, 100,000"),
]

UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}


def load(folder):
    runs = {}
    for path in sorted(pathlib.Path(folder).glob("*.json")):
        try:
            data = json.loads(path.read_text(encoding="utf-8"))
        except (OSError, ValueError):
            continue
        found = {}
        for b in data.get("benchmarks", []):
            if b.get("run_type") == "aggregate" or b.get("error_occurred"):
                continue
            found[b["name"]] = b["real_time"] * UNIT_MS[b.get("time_unit", "ns")]
        runs[path.stem.removesuffix("_bench")] = found
    return runs


def figure(ms):
    if ms is None:
        return "—"
    if ms >= 1000:
        return f"{ms / 1000:.2f} s"
    if ms >= 1:
        return f"{ms:.1f} ms"
    return f"{ms * 1000:.0f} µs"


def lookup(runs, program, name):
    return runs.get(program, {}).get(name)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    runs = load(sys.argv[1])
    lines = ["| What | Program | Floor | Ratio | Floor is |", "|---|---|---|---|---|"]
    for program, name, floor_program, floor_name, what, meaning in PAIRS:
        a = lookup(runs, program, name)
        b = lookup(runs, floor_program, floor_name)
        if a is None and b is None:
            continue
        ratio = f"{a / b:.2f}×" if a is not None and b else "—"
        lines.append(f"| {what} | {figure(a)} | {figure(b)} | {ratio} | {meaning} |")
    for program, name, what in SINGLES:
        if lookup(runs, program, name) is not None:
            lines.append(f"| {what} | {figure(lookup(runs, program, name))} | | | |")
    print("\n".join(lines))


if __name__ == "__main__":
    main()
