from . import isentropic as isentropic, normal_shock as normal_shock, nozzle as nozzle

__version__: str
__all__ = ["isentropic", "normal_shock", "nozzle", "__version__"]
