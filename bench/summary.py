#!/usr/bin/env python3
"""bench/summary.py OUT.json... -- one table of every benchmark: project, floor, ratio, target, met.

Reads Google Benchmark JSON files and picks, per benchmark, the program's own time
and its floor from the counters the benchmarks report (engine_ms beside sqlite3_ms,
backup_ms beside cp_ms, ...). Prints a Markdown table; the README shows it."""
import json
import sys

# The program's own time, first counter present wins; then its floor and the floor's name.
PROJECT_KEYS = ("engine_ms", "backup_ms", "ms", "startup_ms", "rss_MB")
FLOOR_KEYS = (("sqlite3_ms", "sqlite3", "ms"), ("sqlite3_MB", "sqlite3", "MB"), ("cp_ms", "cp", "ms"),
              ("psql_ms", "psql", "ms"), ("curl_ms", "curl", "ms"),
              ("owner_ms", "owner", "ms"))


def fmt(v, unit="ms"):
    if v is None:
        return "-"
    if unit == "MB":
        return f"{v:.0f} MB"
    if v >= 100:
        return f"{v:.0f} ms"
    if v >= 1:
        return f"{v:.1f} ms"
    return f"{v:.3f} ms"


def row(b):
    project_key = next((k for k in PROJECT_KEYS if k in b), None)
    if project_key is None:
        project_key = "real_time"
    project = b.get(project_key)
    unit = "MB" if project_key.endswith("_MB") else "ms"
    if project_key == "real_time" and b.get("time_unit") == "ns":
        project = project / 1e6
    floor, floor_name, floor_unit = None, "-", "ms"
    for key, name, floor_unit in FLOOR_KEYS:
        if key in b:
            floor, floor_name = b[key], name
            break
    ratio = project / floor if floor else None
    target, met = "-", b.get("met")
    if "target_ratio" in b:
        target = f"<= {b['target_ratio']:g}x floor"
        if met is None and ratio is not None:
            met = 1 if ratio <= b["target_ratio"] else 0
    elif "target_ms" in b:
        target = f"< {fmt(b['target_ms'])}"
        if met is None:
            met = 1 if project <= b["target_ms"] else 0
    elif "target_MB" in b:
        target = f"< {b['target_MB']:g} MB"
        if met is None:
            met = 1 if project <= b["target_MB"] else 0
    elif "target" in b and project_key == "backup_ms":
        # Backup speed against cp: at least this share of its speed.
        target = f">= {b['target']:g}x speed of floor"
    met_text = "-" if met is None else ("yes" if met else "NO")
    ratio_text = f"{ratio:.2f}" if ratio is not None else "-"
    return (b["name"], fmt(project, unit), f"{fmt(floor, floor_unit)} ({floor_name})" if floor is not None else "-",
            ratio_text, target, met_text)


def main(paths):
    rows = []
    for p in paths:
        with open(p, encoding="utf-8") as f:
            data = json.load(f)
        for b in data.get("benchmarks", []):
            if b.get("run_type") == "aggregate":
                continue
            if b.get("error_occurred"):
                rows.append((b["name"], "error: " + b.get("error_message", ""), "-", "-", "-", "NO"))
                continue
            rows.append(row(b))
    head = ("benchmark", "project", "floor", "ratio", "target", "met")
    print("| " + " | ".join(head) + " |")
    print("|" + "|".join("---" for _ in head) + "|")
    for r in rows:
        print("| " + " | ".join(r) + " |")
    missed = sum(1 for r in rows if r[5] == "NO")
    print(f"\n{len(rows)} benchmarks, {missed} missing their target")


if __name__ == "__main__":
    main(sys.argv[1:])
