"""The tests the leak pass of tools/harden.sh leaves out (loaded there with `-p leak_selection`).

Under the leak check every allocation is unwound in full, and a child interpreter spends most of
its life importing NumPy: a test that starts one costs a hundred times what it costs in process.
Left out are the tests that only repeat in child interpreters calls that the other tests make in
the test process:

- the level probes (test names that mention a level): the same calls once per instruction-set
  level, whose element loops allocate nothing (the result buffer comes from the one call path,
  whichever loop fills it);
- the documentation's examples, run as scripts: calls of the public functions that the tests
  of those functions make too.

The pass for memory errors and undefined behaviour runs all of them. The selection errs towards
keeping: a test renamed out of these patterns is checked for leaks again.
"""

import re

LEFT_OUT = re.compile(r"level|(^|/)test_[a-z_]*docs\.py")


def pytest_collection_modifyitems(config, items):
    kept, left_out = [], []
    for item in items:
        (left_out if LEFT_OUT.search(item.nodeid) else kept).append(item)
    if left_out:
        config.hook.pytest_deselected(items=left_out)
        items[:] = kept


def pytest_report_header(config):
    return "leak pass: level probes and documentation examples left out (tests/harden/leak_selection.py)"
