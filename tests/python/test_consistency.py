# A script that fails with its database open leaves the file at its last completed write.
import os
import subprocess
import sys
import textwrap

import numpy as np

import rgn

CHILD = textwrap.dedent("""
    import os, sys
    import numpy as np
    import rgn

    def make(index, n):
        s = rgn.SetData(index, "S%d" % index)
        s.add_subset(0, 0, np.arange(n, dtype=np.int32))
        return s

    db = rgn.open(sys.argv[1], "c")
    db.store_sets("sets", [make(0, 1000)])
    sets = db.sets()
    sets[1] = make(1, 200000)
    half = make(2, 5)                       # built, never stored
    if sys.argv[2] == "exit":
        os._exit(3)                         # no clean-up of any kind
    raise RuntimeError("the script fails with its database open")
""")


def test_a_failing_script_leaves_the_last_completed_write(tmp_path):
    for how, code in [("raise", 1), ("exit", 3)]:
        path = str(tmp_path / (how + ".db"))
        done = subprocess.run([sys.executable, "-c", CHILD, path, how], capture_output=True,
                              text=True, timeout=120)
        assert done.returncode == code, done.stderr
        with rgn.open(path) as db:
            sets = db.sets()
            assert sets.keys() == [0, 1]
            np.testing.assert_array_equal(sets[1].subset(0).ids, np.arange(200000))
            assert len(sets[0].subset(0)) == 1000
        with rgn.open(path, "w") as db:  # and it stays writable
            db.sets()[2] = rgn.SetData(2, "later")
