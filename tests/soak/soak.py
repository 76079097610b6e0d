#!/usr/bin/env python3
"""Long-session soak of Dravik through dravik-script.

Writes a script of many thousand commands, drawn with a fixed seed from every
command the program has (buttons, menu items, dialogs, pages, check boxes,
choices, list selections, directories, file dialogs) mixed with field texts
of every kind (valid, zero, negative, empty, garbage, huge), runs it in a
fresh working directory holding the shipped data files and checks:

- the runner ends normally with exit status 0 (no crash, no sanitizer report,
  no script error);
- every "error:" line it printed is one of the program's own messages;
- the driver database is still consistent and the shipped filter files are
  untouched;
- in the hostile directory (a named pipe, links to /dev/zero and
  /dev/urandom, a 2 GB file without a line end, a header padded with 70,000
  blanks, a database shorter than its header) every command ends, and no
  file ever appears under a name the script did not ask for;
- after the storm, with the driver and box fields back at their start texts,
  "Calculate from Vb and Fb" still gives the default driver's figures.

The count comes from --count, else from DRAVIK_SOAK_COUNT, else 10000.
"""

import argparse
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile

# The reports the program may show: its messages with the full stop that the
# error report appends.
PROGRAM_MESSAGES = {
    "Floating point division by zero.",
    "Invalid floating point operation.",
    "Floating point overflow.",
    "File not found.",
    "File access denied.",
    "Path not found.",
    "File name is a directory.",
    "Disk full.",
    "File read or write error.",
    "No design file name given.",
    "Driver database header is damaged.",
    "Driver database is full.",
    "Driver database is damaged.",
    "The driver list is out of date. List the drivers again.",
    "Invalid file name.",
    "Not a regular file.",
}

# The default driver in the default box, "Calculate from Vb and Fb".
EXPECTED_END = ["EdBmag25=-7.37", "ESPL100W=112.63", "ERecPwrResult=117.40"]

# The main window's fields a person can type into.
MAIN_FIELDS = [
    "EDesignFilePath", "EDesignFile",
    "EManufacturer", "EModel", "EComments", "EDiam", "EImpedance", "ESens", "EEffPDiam",
    "EMaxExcursionBeforeDamage", "EMinImpedance", "EMagnetW", "EBl", "EVd",
    "ERecommendedEnclType", "EOtherInformation", "EFs", "ERe", "EQts", "EQms", "EQes", "EVas",
    "EXmax", "EPEmax", "ECms", "EMms", "ERms", "EWeight", "EConeMaterial", "EPictureFile",
    "ECalcSens",
    "EVb", "EFb", "ETargetFb", "ETargetDbmag", "ENumOfDrivers", "ESVb", "ESQtot", "ETargetF3",
    "ENumOfVents", "EVb_Vent_PG", "EVentDiam", "EVent_k", "EVentMaterialThickness",
    "EVentWidth", "EVentHeight",
    "Edit36", "Edit37", "Edit38", "Edit32", "Edit33", "Edit34", "Edit35",
    "EAlfa", "Effs", "ESd", "EPeakSPL", "EPar", "EPer", "ESPL", "ESPL100W", "E3dB", "ERecPwr",
    "ERecPwrResult", "EdBmag25", "ESPLRef",
    "EFinalVb", "EMaterialThickness", "EFrontWidth", "EFrontHeight", "EBracing", "EQty1",
    "EQty3", "ERatioL", "ERatioW", "ERatioH", "EWoodThickness", "EVb2",
]

# The fields every calculation reads most: typed into more often.
HOT_FIELDS = ["EQts", "EQes", "EQms", "EVas", "EFs", "EXmax", "EDiam", "EPEmax", "ESens",
              "ERe", "EVb", "EFb", "ETargetFb", "ETargetDbmag", "ESQtot", "EVentDiam",
              "ENumOfDrivers", "EFrontWidth", "EFrontHeight", "EBracing", "EFinalVb",
              "EMaterialThickness"]

DIALOG_FIELDS = ["FVentFSel.ESelFb", "OptionsForm.X_Scale_Box", "OptionsForm.Y_Scale_Box",
                 "OptionsForm.EPage1BackgroundPicture", "CreateNewProjectForm.Edit1",
                 "CreateNewProjectForm.ENewFileName", "GETDRIVERForm.Edit1"]

# Buttons and menu items with a command (Quit and the tool bar's Quit end the
# program, so the storm leaves them out).
COMMANDS = [
    "Button1", "SBB4Button", "Button26", "CALCULATEIDEALButton",
    "CALCULATEMAXIMALLYFLATButton", "Button25", "Button2", "BCalcDimensions1",
    "GETDRIVERButton", "SelectDriver1", "ADDDRIVERButton", "Button17", "ToolButton2",
    "Button12", "Newproject1", "ToolButton1",
    "BUTTONQuorvel100", "Quorvel100Hz1", "BUTTONQuorvel80", "Quorvel80Hz1",
    "BUTTONQuorvel70", "Quorvel70Hz1", "BUTTONPelmo100_1", "Pelmo10011",
    "N1driver1", "N2vents1", "Options1", "About1", "ToolButton4", "ToolButton5",
]

# Controls that are built and do nothing.
INERT = [
    "OpenButton", "SaveAsButton", "CalcQtsButton", "CalcSensButton", "RestoreButton",
    "StoreButton", "SQB3Button", "ShowPlotButton", "ShowDataPointsButton", "CalcFbButton",
    "OptimizeF3Button", "CalcCircularVentButton", "CalcRectVentButton", "SelectOrderButton",
    "SelectCutoffButton", "SelectRippleButton", "DesignerSaveButton", "DesignerCalculateButton",
    "SelectFile1Button", "SelectFile2Button", "SelectFile3Button", "SelectFile4Button",
    "BuilderSaveButton", "BuilderCalculateButton", "PreviewUpdateButton",
    "CalcDimensions2Button", "UpdatePlotButton", "ToolButton9", "ToolButton8",
    "Open1", "Save1", "SaveAs1", "Close1", "Defaults1", "Print1", "Editdriverparameters1",
    "Editdriverdatabase1", "ShowSystemResponse1", "ListDataPoints1", "StoreDriver1",
    "Adddriver1", "N2parallel1", "N2isobaric1", "N3parallel1", "N4parallel1",
    "N4parallelisobaric1", "Closed1", "Vented1", "ClosedIsobaric1", "ClosedParallel1",
    "VentedIsobaric1", "VentedParallel1", "SelectBoxSize1", "Select1", "Circular1",
    "Rectangular1", "Squareshaped1", "N1vent1", "N2vents2", "N3vents1", "N4vents1",
    "Othervents1", "ShowPartlist1", "Helptopics1", "Contents1",
]

DIALOG_BUTTONS = [
    "FVentFSel.B_OK", "FVentFSel.B_CANCEL", "OptionsForm.Button1", "OptionsForm.Button2",
    "OptionsForm.Button3", "AboutForm.AboutOkButton", "CreateNewProjectForm.Button2",
    "CreateNewProjectForm.Button3", "GETDRIVERForm.CancelButton", "GETDRIVERForm.LoadButton",
    "OutputForm.ToolButton1", "OutputForm.ToolButton2", "OutputForm.ToolButton4",
]

PAGES = ["PG_File", "PG_Driver", "PG_Box", "PG_Vent", "PG_Crossover", "PG_Analysis",
         "PG_List", "Other", "PG_Acoustics"]

CHECKS = ["ChkCrossEnabled", "CrossFile1Check", "CrossFile2Check", "CrossFile3Check",
          "CrossFile4Check", "EnableAcoustics", "OptionsForm.bg1checkbox", "OptionsForm.bg1fit",
          "OptionsForm.EnableScaling"]

CHOICES = (["EnvironmentRadio%d" % i for i in range(1, 10)]
           + ["PlacementRadio%d" % i for i in range(1, 10)]
           + ["ListeningRadio%d" % i for i in range(1, 14)]
           + ["RadioButton1", "RadioButton2"])

LISTS = ["ListBox1", "ListBox2", "LVent", "Datapoints1", "Datapoints2", "Datapoints3",
         "Datapoints4", "Datapoints5", "ListBox4", "DirectoryListBox1", "FileListBox1",
         "GETDRIVERForm.ListBox1", "GETDRIVERForm.ListBox2"]

DESIGN_NAMES = ["a.dgn", "b.dgn", "soak.dgn", "", "sub", "missing/x.dgn", "sub/c.dgn",
                "x\0y.dgn", "/dev/null"]

GARBAGE = ["abc", "?", "1,5", "32.9 Hz", "--3", "1e", "e5", "NaN", "nan", "inf", "-inf",
           "0x1A", "+", "-", ".", "..5", "1.2.3", " 7", "7 ", "\t8", "§", "ÄÖÜ", "١٢٣",
           "1e+", "%s%s%n", "<begin_element>", "\\", "x" * 300]
HUGE = ["1e300", "-1e300", "1e308", "1.7976931348623157e308", "1e309", "1e400", "-1e400",
        "99999999999999999999999", "1e-300", "1e-400", "4.9e-324", "2147483648",
        "-2147483649", "1e19"]


def random_number(rng):
    magnitude = rng.choice([0.01, 0.1, 1, 10, 100, 1000])
    value = rng.uniform(0.05, 5.0) * magnitude
    return ("%." + str(rng.choice([0, 1, 2, 3])) + "f") % value


def random_text(rng):
    kind = rng.random()
    if kind < 0.45:
        return random_number(rng)
    if kind < 0.52:
        return rng.choice(["0", "0.0", "-0", "0e5"])
    if kind < 0.62:
        return "-" + random_number(rng)
    if kind < 0.70:
        return rng.choice(["", " ", "  "])
    if kind < 0.85:
        return rng.choice(GARBAGE)
    return rng.choice(HUGE)


class Storm:
    """Draws the commands of the soak script."""

    def __init__(self, rng, work):
        self.rng = rng
        self.work = work
        self.lines = []

    def add(self, line):
        self.lines.append(line)

    def step(self):
        r = self.rng.random()
        pick = self.rng.choice
        if r < 0.30:
            self.add("set %s %s" % (pick(HOT_FIELDS), random_text(self.rng)))
        elif r < 0.38:
            self.add("set %s %s" % (pick(MAIN_FIELDS), random_text(self.rng)))
        elif r < 0.41:
            self.add("set %s %s" % (pick(DIALOG_FIELDS), random_text(self.rng)))
        elif r < 0.43:
            self.add("set EDesignFile %s" % pick(DESIGN_NAMES))
        elif r < 0.65:
            self.add("click %s" % pick(COMMANDS))
        elif r < 0.70:
            self.add("click %s" % pick(INERT))
        elif r < 0.75:
            self.add("click %s" % pick(DIALOG_BUTTONS))
        elif r < 0.78:
            # An entry beyond a list is a script error that ends the script
            # (the runner's tests check it), so the storm selects none here,
            # which every list has.
            self.add("select %s -1" % pick(LISTS))
        elif r < 0.80:
            # Entries of the working directory's driver list, listed afresh:
            # that database always holds the shipped drivers.
            self.add("opendir %s" % self.work)
            self.add("click GETDRIVERButton")
            self.add("select GETDRIVERForm.ListBox1 %d" % pick([-1, 0, 1, 3, 400]))
            self.add("click GETDRIVERForm.LoadButton")
        elif r < 0.84:
            self.add("page %s" % pick(PAGES))
        elif r < 0.87:
            self.add("check %s %s" % (pick(CHECKS), pick(["on", "off"])))
        elif r < 0.89:
            self.add("choose %s" % pick(CHOICES))
        elif r < 0.91:
            # The picture dialogs, answered or cancelled.
            answer = pick(["answer", "answer /tmp/picture.bmp", "answer pictures/x y.ico"])
            self.add(answer)
            self.add("click %s" % pick(["Button21", "OptionsForm.Button4"]))
        elif r < 0.94:
            where = pick(["", "sub", "missing", "empty", "hostile", "short"])
            self.add("opendir %s" % os.path.join(self.work, where) if where else
                     "opendir %s" % self.work)
        elif r < 0.95:
            # A design file chosen in the file list (a.dgn is saved first thing).
            self.add("opendir %s" % self.work)
            self.add("pickfile a.dgn")
        elif r < 0.96:
            self.add("pickfile")
        elif r < 0.99:
            self.add("print %s" % pick(MAIN_FIELDS))
        else:
            self.add(pick(["caption OutputForm", "print OutputForm", "print Valitsin",
                           "grab OutputForm.Image1 plot.png", "print ChkCrossEnabled"]))


def write_script(path, count, seed, work, defaults):
    rng = random.Random(seed)
    storm = Storm(rng, work)
    storm.add("# soak: %d commands, seed %d" % (count, seed))
    storm.add("set EDesignFile a.dgn")
    storm.add("click Button17")
    while len(storm.lines) < count:
        storm.step()
    # The driver, box and every other field back at its start text, in the
    # working directory again, then the default design once more.
    storm.add("opendir %s" % work)
    for name in MAIN_FIELDS:
        storm.add("set %s %s" % (name, defaults[name]))
    storm.add("click Button1")
    for line in EXPECTED_END:
        storm.add("print %s" % line.split("=")[0])
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(storm.lines) + "\n")
    return len(storm.lines)


def run(runner, script, work, timeout):
    return subprocess.run([runner, script], cwd=work, capture_output=True, text=True,
                          errors="replace", timeout=timeout)


def start_texts(runner, work):
    """The fields' start texts, as the program itself shows them."""
    probe = os.path.join(work, "probe.dvs")
    with open(probe, "w", encoding="utf-8") as f:
        f.write("".join("print %s\n" % name for name in MAIN_FIELDS))
    result = run(runner, probe, work, 120)
    os.remove(probe)
    if result.returncode != 0:
        sys.exit("cannot read the start texts: %s" % result.stderr)
    texts = {}
    for line in result.stdout.splitlines():
        name, _, value = line.partition("=")
        texts[name] = value
    return texts


def database_consistent(work):
    with open(os.path.join(work, "spkdb.hdr"), "rb") as f:
        last = int(f.read().split(b"\r\n")[0].strip() or b"0")
    with open(os.path.join(work, "spk.db"), "rb") as f:
        lines = f.read().count(b"\r\n")
    records, rest = divmod(lines - 3, 31)
    return rest == 0 and records == last + 1, "header %d, %d lines in spk.db" % (last, lines)


def make_hostile(work, shipped):
    """Files no reader may hang on or be fooled by, in work/hostile, and a
    database shorter than its header in work/short."""
    hostile = os.path.join(work, "hostile")
    os.makedirs(hostile)
    for name in os.listdir(shipped):
        shutil.copy(os.path.join(shipped, name), hostile)
    os.remove(os.path.join(hostile, "spk.db"))
    os.mkfifo(os.path.join(hostile, "spk.db"))
    with open(os.path.join(hostile, "spkdb.hdr"), "wb") as f:
        f.write(b" " * 70000 + b"0\r\n")
    for name, target in [("HP2C16C.FLT", "/dev/zero"), ("LP2C100B.FLT", "/dev/urandom")]:
        os.remove(os.path.join(hostile, name))
        os.symlink(target, os.path.join(hostile, name))
    with open(os.path.join(hostile, "LP1C60B.FLT"), "wb") as f:
        f.truncate(2 << 30)
    short = os.path.join(work, "short")
    os.makedirs(short)
    with open(os.path.join(shipped, "spk.db"), "rb") as f:
        lines = f.read().split(b"\r\n")
    with open(os.path.join(short, "spk.db"), "wb") as f:
        f.write(b"\r\n".join(lines[:3 + 31 + 15]) + b"\r\n")
    with open(os.path.join(short, "spkdb.hdr"), "wb") as f:
        f.write(b"1\r\n")


def stray_files(work):
    """Files a design name with a NUL in it could have left: "x" anywhere."""
    return [os.path.join(root, "x") for root, _, files in os.walk(work) if "x" in files]


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runner", required=True, help="the dravik-script executable")
    parser.add_argument("--shipped", required=True, help="folder of the shipped data files")
    parser.add_argument("--count", type=int,
                        default=int(os.environ.get("DRAVIK_SOAK_COUNT", "10000")))
    parser.add_argument("--seed", type=int, default=20240611)
    parser.add_argument("--timeout", type=int, default=900, help="seconds for the run")
    parser.add_argument("--keep", action="store_true", help="keep the working directory")
    args = parser.parse_args()

    base = tempfile.mkdtemp(prefix="dravik-soak-")
    work = os.path.join(base, "work")
    os.makedirs(os.path.join(work, "empty"))
    shutil.copytree(args.shipped, work, dirs_exist_ok=True)
    shutil.copytree(args.shipped, os.path.join(work, "sub"), dirs_exist_ok=True,
                    ignore=shutil.ignore_patterns("*.FLT"))
    filters = {name: digest(os.path.join(work, name))
               for name in os.listdir(work) if name.endswith(".FLT")}
    make_hostile(work, args.shipped)
    failures = []
    try:
        defaults = start_texts(args.runner, work)
        script = os.path.join(base, "soak.dvs")
        lines = write_script(script, args.count, args.seed, work, defaults)
        print("soak: %d script lines, seed %d, in %s" % (lines, args.seed, work))
        result = run(args.runner, script, work, args.timeout)

        if result.returncode != 0:
            failures.append("exit status %d" % result.returncode)
        if result.stderr.count("script error"):
            failures.append("script error: " + result.stderr.strip().splitlines()[-1])
        out = result.stdout.splitlines()
        errors = [line[len("error: "):] for line in out if line.startswith("error: ")]
        strange = sorted(set(e for e in errors if e not in PROGRAM_MESSAGES))
        for e in strange:
            failures.append("not a program message: %r" % e)
        if out[-3:] != EXPECTED_END:
            failures.append("after the storm: %s, expected %s" % (out[-3:], EXPECTED_END))
        ok, why = database_consistent(work)
        if not ok:
            failures.append("driver database inconsistent: " + why)
        for name, sha in filters.items():
            if digest(os.path.join(work, name)) != sha:
                failures.append("filter file %s changed" % name)
        for path in stray_files(work):
            failures.append("a file written under another name: %s" % path)
        if not os.path.exists("/dev/null") or os.path.isfile("/dev/null"):
            failures.append("/dev/null was replaced")

        counts = {}
        for e in errors:
            counts[e] = counts.get(e, 0) + 1
        print("soak: %d error reports: %s" % (len(errors), ", ".join(
            "%s %d" % (k, v) for k, v in sorted(counts.items()))))
        if failures:
            print("--- last lines of standard error ---")
            print("\n".join(result.stderr.splitlines()[-40:]))
    except subprocess.TimeoutExpired:
        failures.append("the runner did not finish within %d s" % args.timeout)
    finally:
        keep = args.keep or failures
        if keep:
            print("soak: working directory kept: %s" % base)
        else:
            shutil.rmtree(base, ignore_errors=True)

    for f in failures:
        print("FAIL: " + f)
    if not failures:
        print("soak: passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
