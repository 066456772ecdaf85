from . import isentropic as isentropic, normal_shock as normal_shock, nozzle as nozzle
from . import fanno as fanno, oblique_shock as oblique_shock, rayleigh as rayleigh

__version__: str
__all__ = ["isentropic", "normal_shock", "nozzle", "__version__", "oblique_shock", "fanno", "rayleigh"]
