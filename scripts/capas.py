#!/usr/bin/env python3
"""Checks that every include of src/ points down the layers, and the rules that come with them.

Layers, lowest first (a file may include its own layer and any layer below it):
  platform -> data -> pricing -> records -> cores -> ui -> windows -> host
Cores and windows are ordered among themselves by subsystem (an order may be loaded into a
purchase, a consignment is invoiced through purchase entry), so no two subsystems include
each other. Also: windows hold no SQL, only host/ reads the data-module instance, and no
layer below ui includes a widget header.
"""
import os
import re
import sys

SUBSISTEMAS = ['catalogs', 'creditnotes', 'orders', 'reports', 'purchases', 'consignments']
NIVEL_BASE = {'platform': 0, 'data': 1, 'pricing': 2, 'records': 3}
NIVEL_NUCLEO, NIVEL_UI, NIVEL_VENTANAS, NIVEL_HOST = 4, 5, 6, 7
WIDGETS = re.compile(r'#\s*include\s*<(QWidget|QDialog|QMessageBox|QLabel|QLineEdit|QTableView|QTableWidget|'
                     r'QApplication|QPushButton|QComboBox|QtWidgets)>')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
SQL_EN_TEXTO = re.compile(r'"[^"\n]*\b(select\s.*\bfrom|insert\s+into|delete\s+from|update\s+\w+\s+set)\b',
                          re.I)


def capa(ruta):
    """(name, level, order within the level) of a path under src/, or None."""
    partes = ruta.split('/')
    raiz = partes[0]
    if raiz in NIVEL_BASE:
        return raiz, NIVEL_BASE[raiz], 0
    if raiz == 'ui':
        return 'ui', NIVEL_UI, 0
    if raiz == 'host':
        return 'host', NIVEL_HOST, 0
    if raiz in SUBSISTEMAS:
        orden = SUBSISTEMAS.index(raiz)
        if os.path.basename(ruta).startswith('Comp_frm'):
            return raiz + ' (ventanas)', NIVEL_VENTANAS, orden
        return raiz + ' (núcleo)', NIVEL_NUCLEO, orden
    return None


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..')
    src = os.path.join(top, 'src')
    fallos = []
    usadas = set()
    for d, _, archivos in os.walk(src):
        for a in sorted(archivos):
            if not a.endswith(('.h', '.cpp')):
                continue
            completo = os.path.join(d, a)
            ruta = os.path.relpath(completo, src)
            origen = capa(ruta)
            if origen is None:
                fallos.append(f'{ruta}: carpeta sin capa')
                continue
            texto = open(completo, encoding='utf-8').read()
            for incluido in INCLUDE.findall(texto):
                if '/' not in incluido:
                    fallos.append(f'{ruta}: "{incluido}" no va por su ruta desde src/')
                    continue
                destino = capa(incluido)
                if destino is None:
                    continue
                if destino[0] != origen[0]:
                    usadas.add((origen[0], destino[0]))
                if (destino[1], destino[2]) > (origen[1], origen[2]):
                    fallos.append(f'{ruta}: incluye "{incluido}" de una capa superior ({destino[0]} sobre {origen[0]})')
            if origen[1] < NIVEL_UI and not ruta.startswith('platform/report/') and WIDGETS.search(texto):
                fallos.append(f'{ruta}: una capa sin pantalla incluye un control ({WIDGETS.search(texto).group(1)})')
            if origen[1] == NIVEL_VENTANAS and SQL_EN_TEXTO.search(texto):
                fallos.append(f'{ruta}: una ventana con SQL ("{SQL_EN_TEXTO.search(texto).group(0)[:60]}")')
            if origen[0] not in ('host', 'data') and re.search(r'\bFDatosComp\b', texto):
                fallos.append(f'{ruta}: lee la instancia FDatosComp (solo host/ la lee)')
    orden = sorted({c for par in usadas for c in par},
                   key=lambda n: capa_por_nombre(n))
    print('Cadena de capas (de abajo hacia arriba):')
    print('  ' + ' -> '.join(orden))
    for o, dest in sorted(usadas, key=lambda p: (capa_por_nombre(p[0]), capa_por_nombre(p[1]))):
        print(f'  {o} usa {dest}')
    if fallos:
        print(f'\n{len(fallos)} problema(s):')
        for f in fallos:
            print('  ' + f)
        return 1
    print('\nSin inclusiones hacia arriba.')
    return 0


def capa_por_nombre(nombre):
    base = nombre.split(' ')[0]
    if base in NIVEL_BASE:
        return (NIVEL_BASE[base], 0)
    if base == 'ui':
        return (NIVEL_UI, 0)
    if base == 'host':
        return (NIVEL_HOST, 0)
    return (NIVEL_VENTANAS if 'ventanas' in nombre else NIVEL_NUCLEO, SUBSISTEMAS.index(base))


if __name__ == '__main__':
    sys.exit(main())
