"""python -m vortalix2_flows table KIND [options]: printed gas-dynamics tables; chart KIND -o FILE: charts."""
from ._tables import main

raise SystemExit(main())
