#!/usr/bin/env python3
"""Writes docs/performance.md from the benchmark results (Google Benchmark
JSON) and the real-window figures (lines of "name value unit")."""
import json
import os
import platform
import sys
from datetime import date


def machine():
    model = "unknown processor"
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as meminfo:
        total_kb = int(meminfo.readline().split()[1])
    return f"{os.cpu_count()} cores of {model}, {total_kb / 1024 / 1024:.0f} GiB, {platform.system()} {platform.release()}"


# The large pictures' benchmark names, what they are, and their figures
# before they were read row by row (the same benchmark, Release build, on
# the code of that time).
LARGE_PICTURES = [
    ("screen.gif", "GIF, a screen of 8192 × 8192 holding one white pixel", "1944 ms, 268 MB"),
    ("flat.gif", "GIF, all white", "2939 ms, 328 MB"),
    ("run-length.bmp", "run-length BMP, ending at once", "4015 ms, 525 MB"),
    ("grey.png", "PNG, 8-bit grey", "2731 ms, 269 MB"),
    ("interlaced.png", "PNG, 8-bit grey, interlaced", "3433 ms, 269 MB"),
    ("rgba16.png", "PNG, 16-bit RGBA of one colour", "5529 ms, 269 MB"),
    ("flat.jpg", "JPEG, one grey, 4:2:0", "1928 ms, 270 MB"),
    ("bounds.jpg", "progressive JPEG of 4000 × 3000 and 148 scans, the most read", "670 ms, 83 MB"),
    ("scans.jpg", "progressive JPEG of 1,000 scans", "13267 ms, 460 MB"),
]



# The hard documents' benchmarks, and the figures of the model before it was
# bounded by the picture (commit f16b027, measured on the machine above with
# the same benchmarks; runs stopped after 300 s): check, --machine,
# completed program's bytes / plain program's, parts.
HARD_DOCUMENTS = [
    ("WholeScreenFills", "Whole-screen fills, red and cyan in turn",
     ("25.2 s", "107.5 s", "1.00", "10")),
    ("NeverEndingTileFills200", "Black tile fills that never end, in a box with a hole, 200 lines",
     ("64.0 s", "over 300 s", "—", "—")),
    ("NeverEndingTileFills400", "The same, 400 lines", ("112.9 s", "over 300 s", "—", "—")),
    ("BlackMajorityTileFills", "Kind-2 black-majority tile fills over and over in four boxes with holes",
     ("22.1 s", "28.6 s", "1.00", "58")),
    ("Comb", "A comb of 240 one-dot slots, filled again and again across a line of the fill's colour",
     ("0.20 s", "8.9 s", "116.5", "1057")),
    ("RandomRecords", "Records of every kind, any points and colours", ("9.1 s", "26.9 s", "25.1", "464")),
]


def duration(milliseconds):
    if milliseconds >= 1000:
        return f"{milliseconds / 1000:.1f} s"
    return f"{milliseconds:.1f} ms" if milliseconds < 10 else f"{milliseconds:.0f} ms"


def main(benchmark_json, window_figures):
    with open(benchmark_json) as source:
        runs = {run["name"]: run for run in json.load(source)["benchmarks"]}
    figures = {}
    with open(window_figures) as source:
        for line in source:
            parts = line.split()
            if len(parts) == 3:
                figures[parts[0]] = (float(parts[1]), parts[2])

    def ms(name):
        run = runs[name]
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run["time_unit"]]
        return run["real_time"] * scale

    pictures = [name for name in runs if name.startswith("BM_PictureToDocumentAndProgram/")]
    fill = ms("BM_Replay2000WholeCanvasFills") / 2000
    memory_fill = ms("BM_MemoryFillWholeCanvas")
    rows = [
        ("Start-up to the first frame of the real window", f"{figures['startup_to_first_frame'][0]:.0f} ms", "—", ""),
        ("Idle processor use of the real window over 10 s", f"{figures['idle_cpu'][0]:.2f} % of one core",
         "under 2 %", ""),
        ("Replay of 30,000 lines", f"{ms('BM_Replay30000Lines'):.1f} ms", "under 50 ms",
         f"{ms('BM_Replay30000Lines') / 30:.2f} µs per record"),
        ("Replay of 2,000 whole-canvas fills", f"{ms('BM_Replay2000WholeCanvasFills'):.0f} ms",
         "under 1 ms per fill",
         f"{fill:.3f} ms per fill: {fill / memory_fill:.1f} × a plain memory fill of the same 1 MB "
         f"({memory_fill * 1000:.0f} µs)"),
        ("Replay of a mixed 30,000-record document", f"{ms('BM_ReplayMixedDocument'):.1f} ms", "—", ""),
        ("Replay of 30,000 two-colour lines reaching far outside the canvas",
         f"{ms('BM_Replay30000FarReachingTwoColourLines'):.0f} ms", "—",
         "walked only where they can touch the canvas"),
        ("Save of a 30,000-record document (CSV and BASIC)", f"{ms('BM_Save30000Records'):.1f} ms", "—",
         f"{runs['BM_Save30000Records']['csv_bytes'] / 1e6:.2f} MB CSV, "
         f"{runs['BM_Save30000Records']['basic_bytes'] / 1e6:.2f} MB BASIC"),
        ("Recovery journal: what each change of the list adds (a record drawn or undone)",
         f"{ms('BM_JournalChange/10') * 500:.1f} µs at 10 records, "
         f"{ms('BM_JournalChange/29999') * 500:.1f} µs at 30,000", "the same at both",
         "the change alone appended and handed to the system; synced to the disk off the main thread, "
         "at most once a second"),
        ("Program for the machine of a mixed 30,000-record document (fills completed, parts)",
         f"{ms('BM_MachineProgram30000Records'):.0f} ms", "under 1 s",
         f"{runs['BM_MachineProgram30000Records']['fills_completed']:.0f} fills completed, "
         f"{runs['BM_MachineProgram30000Records']['parts']:.0f} parts; before, 100 ms"),
        ("The save's check of its program on the machine's model (same document)",
         f"{ms('BM_MachineAdviceAfterSave30000Records'):.1f} ms", "under 50 ms",
         "before, 32 ms; documents built to be hard below"),
        ("Import of a 640 × 400 photo-like JPEG (decode, draw, reduce, replay)",
         f"{ms('BM_ImportAndReduce640x400Jpeg'):.1f} ms", "—", ""),
        ("Reduction of the 640 × 400 area alone", f"{ms('BM_Reduce640x400'):.1f} ms", "under 20 ms", ""),
        ("Peak memory growth while importing picture bombs (GIF 8192 × 8192, RLE BMP 12000 × 12000, "
         "JPEG frame 15000 × 15000)",
         f"{runs['BM_ImportRefusedPictureBombs']['peak_rss_growth_kb'] / 1024:.2f} MB", "within 5 MB",
         "refused from their headers"),
        *[(f"Import of {what}", f"{ms('BM_ImportCostlyPicture/' + name):.0f} ms, "
           f"{runs['BM_ImportCostlyPicture/' + name]['peak_rss_growth_kb'] / 1024:.1f} MB",
           "a second or two, a few MB", note)
          for name, what, note in [
              ("LyingLengthPng", "a 46-byte PNG whose text chunk states 2 GB", "broken: refused from the chunk walk"),
              ("TextChunksPng", "a PNG with 60 compressed text chunks of 8 MB each", "read: text chunks skipped unread"),
              ("EndlessDataPng", "a 640 × 400 PNG whose data inflate to 4 GB", "broken: read a little past the picture"),
              ("ManyScansJpeg", "a 15.6 MB progressive JPEG repeating one scan",
               "broken: over 1,000 scans refused unread")]],
        ("Trace and both simplifier passes of a ragged outline",
         f"{ms('BM_TraceAndSimplifyRaggedOutline'):.2f} ms", "under 5 ms",
         f"{runs['BM_TraceAndSimplifyRaggedOutline']['trace_steps']:.0f} trace steps, "
         f"{runs['BM_TraceAndSimplifyRaggedOutline']['lines']:.0f} lines"),
        ("A 640 × 400 picture to document and program (kumodo-export --from-picture, slowest sample below)",
         f"{max(ms(name) for name in pictures):.0f} ms", "under 1 s", "decode, reduce, records, program, files"),
        ("Peak memory (RSS) of the editor after opening a 30,000-record document",
         f"{figures['peak_rss_after_30000_records'][0]:.1f} MB", "under 64 MB", ""),
    ]
    print("# Performance\n")
    print("Written by `bash scripts/bench` on " + date.today().isoformat() + ": " + machine() + ".")
    print("Release build; Google Benchmark for the program's parts, the real window under Xvfb for")
    print("start-up, idle use and memory. Figures, not tests: nothing fails on time, and they vary")
    print("by some 30 % between runs on a shared machine.\n")
    print("| What | Figure | Target | Notes |")
    print("|---|---|---|---|")
    for what, figure, target, notes in rows:
        print(f"| {what} | {figure} | {target} | {notes} |")
    print("\n## The machine's model on documents built to be hard\n")
    print("Documents of 30,000 records built to be hard on the model of the machine's `PAINT`")
    print("(`tests/support/hard_documents.h`), 400 lines unless said; each figure before → after. Before:")
    print("the model as it was (commit f16b027), measured here with the same benchmarks, runs stopped")
    print("after 300 s. Targets: the save's check at most 50 ms, `kumodo-export --machine` at most 1 s, the")
    print("completed program at most twice the plain one's bytes and one part. The save waits for its")
    print("check about a tenth of a second; a longer one goes on while the editor is used.\n")
    print("| Document | Save's check | What the save says | `--machine` | Completed ÷ plain bytes | Parts |")
    print("|---|---|---|---|---|---|")
    for name, what, before in HARD_DOCUMENTS:
        check, program = runs["BM_MachineCheck/" + name], runs["BM_MachineProgram/" + name]
        said = ("a fill never ends" if check["never_ends"] else
                f"{check['differing_dots']:.0f} dots differ" if check["differing_dots"] else "nothing")
        ratio = program["completed_bytes"] / program["plain_bytes"]
        print(f"| {what} | {before[0]} → {duration(ms('BM_MachineCheck/' + name))} | {said} "
              f"| {before[1]} → {duration(ms('BM_MachineProgram/' + name))} | {before[2]} → {ratio:.2f} "
              f"| {before[3]} → {program['parts']:.0f} |")
    print("\nHow: the model's screen is a byte a dot, so a row's stretch is searched, compared and painted")
    print("as bytes. A fill that leaves no stretch because it held its colour has painted its whole area,")
    print("and needs no search of it; one that does is searched only beyond the stretches it left. The")
    print("last fill's area is kept while nothing drawn near it adds or removes a dot of its border colour,")
    print("so a fill again from a dot of it needs no search, and a plain fill over a plain fill is painted")
    print("only once another record needs the dots. The check stops at a fill that never ends, and beside")
    print("the machine's picture keeps the whole-fill one only while they differ. A fill is completed the")
    print("cheapest way: seeds, a first fill of its area in a colour it holds nowhere (one `PAINT` where a")
    print("comb takes 240 seeds), another start, or its rows; a tile of black on black fills as plain black.")
    print("\n## Pictures made into programs\n")
    print("`kumodo-export --from-picture` on sample pictures of 640 × 400 made with ImageMagick: photographs")
    print("of our own (plasma fractals, a scene of gradients, shapes and grain, a smooth gradient with grain,")
    print("ImageMagick's small photograph of a rose enlarged), two grey ones, and three drawings of flat")
    print("colours. How close each looks to the original: the RGB error on a 0–255 scale after a Gaussian")
    print("blur of σ 1.5, which stands for the eye's averaging (for a grey picture the error of its")
    print("luminance, marked L). For the eye (`--reduction colour`, the default) and by the import's levels")
    print("(`--reduction levels`, what `--from-picture` did before), each at the default budget (what one")
    print("part holds) and exact (`--budget 0`); beside them the limits of a picture drawn dot by dot: each")
    print("dot the nearest of the 8 colours, and an ordered dither of each channel (4 × 4), neither of")
    print("which a program could draw in one part. Time: the default conversion, to the written files.\n")
    print("| Picture | Time | For the eye | records, bytes | exact | parts | Levels | exact "
          "| Nearest colour, dot by dot | Ordered dither, dot by dot |")
    print("|---|---|---|---|---|---|---|---|---|---|")

    def error(run, prefix):
        if run["grey"]:
            return f"L {run[prefix + 'luminance_error']:.1f}"
        return f"{run[prefix + 'rgb_error']:.1f}"

    for name in pictures:
        run = runs[name]
        print(f"| {name.split('/', 1)[1]} | {ms(name):.0f} ms | {error(run, 'colour_')} "
              f"| {run['colour_records']:.0f}, {run['colour_bytes']:.0f} | {error(run, 'colour_exact_')} "
              f"| {run['colour_exact_parts']:.0f} | {error(run, 'levels_')} | {error(run, 'levels_exact_')} "
              f"| {error(run, 'nearest_')} | {error(run, 'dither_')} |")
    print("\nGoals: photographs at most 50 at the default budget and 25 exact; grey photographs at most 30")
    print("and 15 (luminance); drawings of flat colours exact in one part; under 1 s a picture. Before and")
    print("after, side by side (original, levels, for the eye; each at the default budget):\n")
    # The samples bench/picture_examples.sh put side by side.
    for example in sorted(os.listdir("docs/pictures")):
        name = example.removesuffix(".png")
        print(f"![{name}: the original, the import's levels, for the eye](pictures/{example})\n")
    print("How: the picture is smoothed where it changes little (edges kept), then cut into regions by")
    print("Ward's merging in Oklab, from one region to the finest; each region takes the nearest of the")
    print("machine's 148 apparent colours — the 8, and two of them mixed in the three tile patterns as the")
    print("screen shows them — so a grey picture keeps its tones and a colour one its hues. The areas'")
    print("picture is drawn as before (edges by lines and dots, a `PAINT` inside; a mixture by a tile")
    print("`PAINT`, the ring around it drawn outside by the later areas). Of the region counts tried (each")
    print("half again the last), the drawing that fits the budget and looks closest is written; so a larger")
    print("budget never looks worse. In a machine program a tile string used twice or more in a part is set")
    print("once in a variable (`T1$`), so a tile fill costs about what a plain `PAINT` does. The exact")
    print("pictures stay above their goal: the ring of lines and dots between two mixture areas, and the")
    print("blur of flat apparent colours, keep an error the dot-by-dot dither does not have.")
    print("\n## Large pictures made into programs\n")
    print("`kumodo-export --from-picture` on pictures of 8192 × 8192 (the largest it takes) in small files,")
    print("made by hand: the time to the written files and the peak resident memory above the start. Before:")
    print("the same benchmark on the code before pictures were read row by row, each picture decoded whole")
    print("into a bitmap, then scaled down.\n")
    print("| Picture | File | Time | Peak memory | Before: time, peak memory | Result |")
    print("|---|---|---|---|---|---|")
    for name, what, before in LARGE_PICTURES:
        run = runs["BM_LargePictureToDocumentAndProgram/" + name]
        size = run["file_bytes"]
        size = f"{size:.0f} bytes" if size < 1024 else f"{size / 1024:.0f} KB"
        print(f"| {what} | {size} | {ms('BM_LargePictureToDocumentAndProgram/' + name):.0f} ms "
              f"| {run['peak_rss_growth_kb'] / 1024:.1f} MB | {before} "
              f"| {'converted' if run['converted'] else 'refused, saying why'} |")
    print("\nHow: a decoder puts each row as it comes into the converter's 640 × 400 area, which keeps only")
    print("the sums of the points it scales the picture down to; a JPEG is decoded at the smallest eighth of")
    print("its size that still fills the area. A progressive JPEG keeps all its coefficients until its last")
    print("scan, so one that would keep over 36 MB is refused, as is one whose scans times blocks pass")
    print("40 million (each scan is a pass over its blocks). Inflating the 16-bit PNG (537 MB of rows) is")
    print("most of its time.")
    print("\nDuring a replay the view is copied to the screen only when a frame is due (at most about")
    print("60 a second), and the replay ends with one flush. The file dialogs and message boxes run")
    print("in a helper process (`kumodo-prompt`), so GTK's memory never enters the editor. An idle")
    print("editor sleeps a few milliseconds between polls, waking at once on input.")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
