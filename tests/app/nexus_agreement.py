"""Quivet and another NEXUS reader must agree on the real files both read.

For every file of the shared corpus in which DendroPy finds a character
matrix, Quivet must read the same taxa, the same number of characters and the
same state in every cell. Quivet's side is the TAXA and CHARACTERS blocks it
writes (as SHOW prints them), read back by DendroPy: so what Quivet writes is
checked to read the same in another reader too.

Quivet reads ambiguity codes, polymorphic and uncertain cells as missing;
such a cell agrees with a missing, ambiguous or multi-state cell of DendroPy.

usage: nexus_agreement.py QUIVET_BINARY CORPUS_DIR
Exits 77 (skipped) when the corpus or DendroPy is not there.
"""

import os
import re
import subprocess
import sys
import tempfile
import warnings

SKIP = 77


def load_matrix(path):
    """The first character matrix DendroPy finds in path, or None."""
    import dendropy

    try:
        ds = dendropy.DataSet.get(path=path, schema="nexus")
    except Exception:
        return None
    return ds.char_matrices[0] if ds.char_matrices else None


def cell(state):
    """A cell as (symbol, vague): vague when it stands for no single state."""
    symbol = (state.symbol or "").upper()
    fundamental = getattr(state, "fundamental_indexes", None)
    vague = symbol in ("?", "") or (fundamental is not None and len(fundamental) > 1)
    return symbol, vague


def compare(name, theirs, ours, quivet_missing):
    problems = []
    their_labels = [t.label for t in theirs.taxon_namespace]
    our_labels = [t.label for t in ours.taxon_namespace]
    if their_labels != our_labels:
        return ["%s: taxa differ: %r v.s. %r" % (name, their_labels[:5], our_labels[:5])]
    for their_taxon, our_taxon in zip(theirs.taxon_namespace, ours.taxon_namespace):
        a, b = theirs[their_taxon], ours[our_taxon]
        if len(a) != len(b):
            problems.append("%s: %s has %d characters, Quivet %d" % (name, their_taxon.label, len(a), len(b)))
            continue
        for c, (x, y) in enumerate(zip(a, b), 1):
            (sx, vx), (sy, vy) = cell(x), cell(y)
            if sx == sy or (vx and sy == quivet_missing):
                continue
            problems.append("%s: %s, character %d: %r v.s. Quivet %r" % (name, their_taxon.label, c, sx, sy))
            break
    return problems


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    quivet, corpus = sys.argv[1], sys.argv[2]
    if not os.path.isdir(corpus):
        print("skipped: no corpus at %s" % corpus)
        return SKIP
    try:
        import dendropy  # noqa: F401
    except ImportError:
        print("skipped: DendroPy is not installed (sh scripts/install-deps)")
        return SKIP
    warnings.filterwarnings("ignore")

    problems, compared = [], 0
    with tempfile.TemporaryDirectory() as tmp:
        for name in sorted(os.listdir(corpus)):
            if not name.endswith(".nex"):
                continue
            theirs = load_matrix(os.path.join(corpus, name))
            if theirs is None:
                continue
            run = subprocess.run([quivet, "-c", "show taxa characters;", os.path.join(corpus, name)],
                                 capture_output=True, text=True, errors="replace", timeout=120)
            log = run.stdout + run.stderr
            # The blocks as SAVE writes them, behind the log of the reading.
            start = run.stdout.rfind("BEGIN taxa;\n")
            saved = os.path.join(tmp, name)
            with open(saved, "w") as f:
                f.write("#NEXUS\n" + (run.stdout[start:] if start >= 0 else ""))
            info = re.search(r"Valid CHARACTERS block: (\d+) sequences, each (\d+) characters", log)
            if not info:
                problems.append("%s: Quivet reads no characters" % name)
                continue
            ntax, nchar = int(info.group(1)), int(info.group(2))
            if (ntax, nchar) != (len(theirs), theirs.max_sequence_size):
                problems.append("%s: %dx%d, Quivet %dx%d" % (name, len(theirs), theirs.max_sequence_size, ntax, nchar))
                continue
            compared += 1
            if "All sites are constant, invalid!" in log:
                continue  # read, and rightly refused for analysis: nothing saved to compare cell by cell
            ours = load_matrix(saved)
            if ours is None:
                problems.append("%s: DendroPy cannot read what Quivet wrote" % name)
                continue
            missing = re.search(r"missing=(\S)", open(saved, errors="replace").read())
            problems += compare(name, theirs, ours, missing.group(1) if missing else "?")
    print("%d files compared" % compared)
    for p in problems:
        print(p)
    return 1 if problems or compared == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
