#!/usr/bin/python3
"""Fails when a file under src/ opens a namespace that is not its folder's.

Every folder under src/ (with its subfolders) has one namespace of its own and
every namespace belongs to one folder; the table is in CONTRIBUTING.md
("Namespaces"), read from there. A file may open its folder's namespace,
namespaces nested in it, anonymous namespaces, and another folder's namespace
only for a block of forward declarations. Aliases (namespace fs = ...) open
nothing. Run: spazi_dei_nomi.py PROJECT_DIR. Before scanning, the rules are
tried on snippets that must be caught and on snippets that must pass.
"""
import os
import re
import sys

RIGA_TABELLA = re.compile(r"^\s*\|\s*`src/([\w/]+)`\s*\|\s*`([\w:]+)`\s*\|")


def leggi_tabella(contributing):
    with open(contributing, encoding="utf-8") as f:
        return {cartella: spazio for cartella, spazio in
                (m.groups() for m in map(RIGA_TABELLA.match, f) if m)}


def maschera(testo):
    """Comments, string and character literals, preprocessor lines become blanks; lines stay."""
    modello = re.compile(r'//[^\n]*|/\*.*?\*/|R"(?P<d>[^(\s]*)\(.*?\)(?P=d)"|"(\\.|[^"\\\n])*"'
                         r"|(?<!\w)'(\\.|[^'\\\n])+'|^[ \t]*#([^\n]*\\\n)*[^\n]*", re.S | re.M)
    return modello.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), testo)


APERTURA = re.compile(r"\b(?:inline\s+)?namespace\b\s*([\w:]*)\s*(=|\{)|[{}]")
DICHIARAZIONE_ANTICIPATA = re.compile(
    r"\s*(template\s*<[^;{}]*>\s*)?(class|struct|union|enum(\s+class|\s+struct)?)\s+\w+(\s*:\s*[\w:]+)?\s*;")


def solo_dichiarazioni(corpo):
    """A block holding nothing but forward declarations (and blocks of them)."""
    corpo = re.sub(r"\bnamespace\s*[\w:]*\s*\{", "", corpo).replace("}", "")
    while corpo.strip():
        m = DICHIARAZIONE_ANTICIPATA.match(corpo)
        if not m:
            return False
        corpo = corpo[m.end():]
    return True


def proprietario(spazio, tabella):
    """The folder owning a namespace: the longest namespace of the table that is it or encloses it."""
    migliore = None
    for cartella, suo in tabella.items():
        if spazio == suo or spazio.startswith(suo + "::"):
            if migliore is None or len(suo) > len(tabella[migliore]):
                migliore = cartella
    return migliore


def cartella_di(relativo, tabella):
    parti = relativo.split("/")[:-1]
    for n in range(len(parti), 0, -1):
        if "/".join(parti[:n]) in tabella:
            return "/".join(parti[:n])
    return None


def esamina(testo, cartella, tabella):
    """(line, namespace) of every namespace of another folder opened for more than forward declarations."""
    pulito = maschera(testo)
    trovati = []
    pila = []   # per open brace: the namespace's full name, or None for any other brace
    for m in APERTURA.finditer(pulito):
        if m.group(0) == "}":
            if pila:
                pila.pop()
            continue
        if m.group(0) == "{":
            pila.append(None)
            continue
        if m.group(2) == "=":
            continue   # an alias
        fuori = [s for s in pila if s is not None]
        if len(fuori) != len(pila):
            pila.append(None)   # not at namespace scope: the compiler will say
            continue
        nome = m.group(1)
        if not nome:
            pila.append(fuori[-1] if fuori else "")   # anonymous: its enclosing namespace's rules
            continue
        pieno = "::".join(filter(None, [fuori[-1] if fuori else "", nome]))
        pila.append(pieno)
        if proprietario(pieno, tabella) == cartella:
            continue
        # Another folder's namespace: only forward declarations inside.
        profondita, fine = 1, m.end()
        while profondita and fine < len(pulito):
            profondita += {"{": 1, "}": -1}.get(pulito[fine], 0)
            fine += 1
        if not solo_dichiarazioni(pulito[m.end():fine - 1]):
            trovati.append((pulito.count("\n", 0, m.start()) + 1, pieno))
    return trovati


TABELLA_PROVA = {"engine": "pc", "data": "pc::dati", "app": "pc::app"}
DA_TROVARE = [   # (folder, text): each must be caught
    ("app", "namespace pc {\nvoid f();\n}"),
    ("app", "namespace pc::dati {\nclass Fonte { int x; };\n}"),
    ("engine", "namespace pc::app { void comando(); }"),
    ("engine", "namespace dialetto { int x; }"),
    ("data", "namespace pc {\nnamespace dati { int a; }\nint b;\n}"),
    ("app", "namespace pc::app {}\nnamespace pc::dati {\nclass A;\nint b;\n}"),
]
DA_LASCIARE = [   # must pass
    ("app", "namespace pc::app {\nnamespace {\nint x;\n}\n}"),
    ("data", "namespace pc::dati::centrale { struct S { int a; }; }"),
    ("engine", "namespace pc {\nnamespace dati { class Fonte; }\nvoid f(dati::Fonte &);\n}"),
    ("app", "namespace pc::analisi {\nstruct RichiestaAnalisi;\n}\nnamespace pc::dati {\nclass Fonte;\n}"),
    ("app", "namespace fs = std::filesystem;\nnamespace pc::app { namespace d = pc::dati; }"),
    ("app", "// namespace pc { int x; }\nconst char *s = \"namespace pc {\";\nnamespace pc::app {}"),
    ("engine", "namespace {\nint x;\n}\nnamespace pc { int y; }"),
    ("app", "int main() { return 0; }"),
]


def autoverifica():
    errori = []
    for cartella, testo in DA_TROVARE:
        if not esamina(testo, cartella, TABELLA_PROVA):
            errori.append("la regola non trova: %r (%s)" % (testo, cartella))
    for cartella, testo in DA_LASCIARE:
        if esamina(testo, cartella, TABELLA_PROVA):
            errori.append("la regola trova a torto: %r (%s)" % (testo, cartella))
    return errori


def main():
    errori = autoverifica()
    for e in errori:
        print("AUTOVERIFICA: " + e)
    if errori:
        return 1
    progetto = sys.argv[1]
    tabella = leggi_tabella(os.path.join(progetto, "CONTRIBUTING.md"))
    if not tabella:
        print("CONTRIBUTING.md: nessuna tabella degli spazi dei nomi")
        return 1
    doppi = {s for s in tabella.values() if list(tabella.values()).count(s) > 1}
    for s in sorted(doppi):
        print("CONTRIBUTING.md: lo spazio dei nomi %s appartiene a più cartelle" % s)
    radice = os.path.join(progetto, "src")
    trovati, esaminati = [], 0
    for cartella, sottocartelle, file in os.walk(radice):
        sottocartelle.sort()
        for nome in sorted(file):
            if not nome.endswith((".cpp", ".h", ".hpp", ".cc", ".h.in")):
                continue
            relativo = os.path.relpath(os.path.join(cartella, nome), radice).replace(os.sep, "/")
            sua = cartella_di(relativo, tabella)
            if sua is None:
                trovati.append("src/%s: la cartella non è nella tabella di CONTRIBUTING.md" % relativo)
                continue
            with open(os.path.join(cartella, nome), encoding="utf-8", errors="replace") as f:
                testo = f.read()
            esaminati += 1
            for riga, spazio in esamina(testo, sua, tabella):
                trovati.append("src/%s:%d: apre %s, che non è di src/%s (%s)" % (relativo, riga, spazio, sua, tabella[sua]))
    for t in trovati:
        print(t)
    print("%d file esaminati, %d spazi dei nomi fuori posto" % (esaminati, len(trovati)))
    return 1 if trovati or doppi or esaminati == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
