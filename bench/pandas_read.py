#!/usr/bin/env python3
"""What an engineer would script to read the fast archive: pandas read_csv of every hourly file,
joined, with DATUM and CAS made into one datetime column. Prints the seconds it took and the rows.

    python3 bench/pandas_read.py /tmp/kestrilon-bench-archive    # the benchmark's 30 days
"""
import glob
import os
import sys
import time

import pandas as pd

folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp/kestrilon-bench-archive"
files = sorted(glob.glob(os.path.join(folder, "FA_*.csv")))
start = time.perf_counter()
frame = pd.concat((pd.read_csv(f, sep=";") for f in files), ignore_index=True)
frame["time"] = pd.to_datetime(frame["DATUM"] + " " + frame["CAS"], format="%d.%m.%Y %H:%M:%S")
seconds = time.perf_counter() - start
print(f"{len(files)} files, {len(frame)} rows, {seconds:.2f} s")
