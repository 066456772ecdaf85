"""python -m vortalix2_flows table KIND [options]: printed gas-dynamics tables."""
from ._tables import main

raise SystemExit(main())
