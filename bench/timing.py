"""What the benchmarks share: the best of several timed rounds, and the processor's name to
print beside every figure. Imported by the scripts in this folder, which Python puts on the
module path when one of them is run."""
import platform
import time


def best(f, rounds):
    """The shortest of `rounds` wall-clock times of f(), in seconds."""
    times = []
    for _ in range(rounds):
        t = time.perf_counter()
        f()
        times.append(time.perf_counter() - t)
    return min(times)


def cpu_name():
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown CPU"
