#!/usr/bin/env python3
"""Runs one libFuzzer target for a bounded time: run_fuzzer.py BINARY SECONDS CORPUS [SEEDS].

The corpus folder is kept between runs, so coverage grows over time; the seeds folder (in the
repository, optional) is read but never written. A crash leaves its input in the corpus
folder's parent as crash-*, and the exit status is the fuzzer's.
"""
import os
import subprocess
import sys


def main(argv):
    if len(argv) < 4:
        print(__doc__)
        return 2
    binary, seconds, corpus = argv[1], int(argv[2]), argv[3]
    seeds = argv[4] if len(argv) > 4 and os.path.isdir(argv[4]) else None
    os.makedirs(corpus, exist_ok=True)
    artifacts = os.path.dirname(os.path.abspath(corpus)) + os.sep
    command = [binary, f"-max_total_time={seconds}", "-timeout=10", "-rss_limit_mb=2048",
               "-print_final_stats=1", f"-artifact_prefix={artifacts}", corpus]
    if seeds:
        command.append(seeds)
    print(" ".join(command), flush=True)
    return subprocess.call(command)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
