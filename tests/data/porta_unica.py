#!/usr/bin/python3
"""Fails when code in src/ outside the file writer opens a file for writing.

Every file the program writes goes through src/data/ScritturaFile.{h,cpp}.
Run: porta_unica.py SRC_DIR. Before scanning, the rules are tried on lines
that each must be caught and on lines that must pass, so that a rule that
stops matching is noticed.
"""
import os
import re
import sys

PORTA = {os.path.join("data", "ScritturaFile.h"), os.path.join("data", "ScritturaFile.cpp")}

MODI_SCRITTURA = r"(WriteOnly|ReadWrite|Append|Truncate|NewOnly)"
# A path handed out by the door: FileProvvisorio::percorso() / percorsoQt().
DALLA_PORTA = re.compile(r"(\.|->)percorso(Qt)?\(\)")

REGOLE = [
    ("QSaveFile", re.compile(r"\bQSaveFile\b")),
    ("QTemporaryFile", re.compile(r"\bQTemporaryFile\b")),
    ("stream di scrittura", re.compile(r"\b(std::)?(basic_)?w?o?fstream\b|\bofstream\b")),
    # The mode is fopen's last argument (freopen's second, fdopen's second).
    ("fopen in scrittura", re.compile(r"\b(std::)?(fopen|fopen64|fdopen)\s*\(.*,\s*\"[^\"]*[wa+][^\"]*\"\s*\)"
                                      r"|\b(std::)?freopen\s*\([^;]*,\s*\"[^\"]*[wa+][^\"]*\"\s*,")),
    ("open() in scrittura", re.compile(r"(?<![\w.>])(::)?(open|open64|openat)\s*\([^;]*\bO_(WRONLY|RDWR|CREAT|TRUNC|APPEND)\b")),
    ("creat()", re.compile(r"(?<![\w.>])(::)?creat\s*\(")),
    ("file temporaneo di sistema", re.compile(r"\b(mkstemp|mkostemp|mkstemps|tmpfile|tmpnam)\s*\(")),
    ("copia o rinomina di file", re.compile(r"\b(copy_file|QFile::copy|QFile::rename|QFile::link|std::rename|fs::rename|std::filesystem::rename|create_symlink|create_hard_link)\b|(?<![\w.>])(::)?rename\s*\(")),
]

def regola_apertura(riga, testo):
    """X.open(...WriteOnly...) on anything but a QBuffer declared in the file."""
    for m in re.finditer(r"(\w+)\s*(\.|->)\s*open\s*\(([^;]*)", riga):
        if not re.search(r"\b(QIODevice|QIODeviceBase|QFile|QFileDevice)::" + MODI_SCRITTURA + r"\b", m.group(3)):
            continue
        if re.search(r"\bQBuffer\s*[*&]?\s*" + re.escape(m.group(1)) + r"\b", testo):
            continue
        return "apertura in scrittura"
    return None

def regola_scrittori_terzi(riga, testo):
    for nome, modello in (("workbook_new", r"\bworkbook_new(_opt)?\s*\(([^;]*)"),
                          ("setOutputFileName", r"\bsetOutputFileName\s*\(([^;]*)")):
        for m in re.finditer(modello, riga):
            argomento = m.group(m.lastindex)
            if DALLA_PORTA.search(argomento) or re.match(r"\s*(QString\(\)|\"\")\s*\)", argomento):
                continue
            return nome + " su un percorso non dato dalla porta"
    for m in re.finditer(r"\bQPdfWriter\b\s*\*?\s*\w*\s*[({]([^;]*)", riga):
        argomento = m.group(1)
        if DALLA_PORTA.search(argomento):
            continue
        b = re.match(r"\s*&\s*(\w+)\s*[)}]", argomento)
        if b and re.search(r"\bQBuffer\s+" + re.escape(b.group(1)) + r"\b", testo):
            continue
        return "QPdfWriter su un percorso non dato dalla porta"
    if re.search(r"\bsqlite3_open(_v2)?\s*\([^;]*SQLITE_OPEN_(READWRITE|CREATE)", riga):
        return "archivio SQLite aperto in scrittura"
    return None

def senza_commenti(testo):
    # Comments go, string literals stay (the mode of fopen lives in one).
    fuori = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), testo, flags=re.S)
    return re.sub(r"//[^\n]*", "", fuori)

def righe_logiche(pulito):
    """Lines, a call spread over several lines joined into its first one."""
    righe = pulito.split("\n")
    i = 0
    while i < len(righe):
        inizio, riga = i, righe[i]
        while riga.count("(") > riga.count(")") and i + 1 < len(righe) and i - inizio < 10:
            i += 1
            riga += " " + righe[i].strip()
        yield inizio + 1, riga
        i += 1

def esamina(testo, percorso="", eccezioni=()):
    trovati = []
    pulito = senza_commenti(testo)
    for n, riga in righe_logiche(pulito):
        if riga.lstrip().startswith("#"):
            continue   # #include <fstream> opens nothing
        motivi = [nome for nome, r in REGOLE if r.search(riga)]
        for f in (regola_apertura, regola_scrittori_terzi):
            motivo = f(riga, pulito)
            if motivo:
                motivi.append(motivo)
        motivi = [m for m in motivi if not (m == "archivio SQLite aperto in scrittura" and "demo" in eccezioni)]
        for m in motivi:
            trovati.append((percorso, n, m, riga.strip()))
    return trovati

DA_TROVARE = [
    'QSaveFile f(nome);',
    'QTemporaryFile t;',
    'std::ofstream out("x");',
    'std::fstream f(p, std::ios::in | std::ios::out);',
    'FILE *f = std::fopen(p.c_str(), "wb");',
    'FILE *f = fopen(p, "a");',
    'FILE *f = fopen(p, "r+");',
    'int fd = ::open(p, O_WRONLY | O_CREAT, 0644);',
    'int fd = open(p, O_RDWR);',
    'int fd = creat(p, 0644);',
    'int fd = mkstemp(modello);',
    'std::rename(a, b);',
    'fs::copy_file(a, b);',
    'QFile f(nome); f.open(QIODevice::WriteOnly);',
    'auto f = std::make_unique<QFile>(n); f->open(QIODevice::ReadWrite | QIODevice::Unbuffered);',
    'QFile f(nome); f.open(QIODeviceBase::Append);',
    'QFile f(nome);\nif (!f.open(\n        QIODevice::WriteOnly))',
    'FILE *f = std::fopen(percorso.c_str(),\n                     "w");',
    'FILE *f = fdopen(fd, "w");',
    'FILE *f = std::freopen("x.log", "a", stderr);',
    'lxw_workbook *wb = workbook_new("analisi.xlsx");',
    'wb = workbook_new_opt(nome.c_str(), &opzioni);',
    'QPdfWriter pdf(nome);',
    'printer.setOutputFileName(nome);',
    'sqlite3_open_v2(f, &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);',
]
DA_LASCIARE = [
    'std::ifstream f(p, std::ios::binary);',
    'FILE *f = std::fopen(p.c_str(), "rb");',
    'QFile f(nome); f.open(QIODevice::ReadOnly);',
    'QBuffer memoria; memoria.open(QIODevice::WriteOnly); QPdfWriter pdf(&memoria);',
    'wb = workbook_new_opt(m->temporaneo->percorso().c_str(), &opzioni);',
    'printer.setOutputFileName(file->percorsoQt());',
    'QPdfWriter pdf(t.percorsoQt());',
    'sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);',
    'auto db = dati::Database::open(t.file);',
    'm_mdb = mdb_open(m_percorso.c_str(), MDB_NOFLAGS);',
    '// QSaveFile f(nome); written in a comment',
    'int n = reopen(x);',
    'FILE *f = std::fopen("/var/www/dati", "rb");',
    'auto db = Database::open("AnagraficaHotels.mdb");',
    '#include <fstream>',
]

def autoverifica():
    errori = []
    for riga in DA_TROVARE:
        if not esamina(riga):
            errori.append("la regola non trova: " + riga)
    for riga in DA_LASCIARE:
        if esamina(riga):
            errori.append("la regola trova a torto: " + riga + " " + str(esamina(riga)))
    return errori

def main():
    errori = autoverifica()
    for e in errori:
        print("AUTOVERIFICA: " + e)
    if errori:
        return 1
    radice = sys.argv[1]
    trovati = []
    esaminati = 0
    for cartella, _, file in os.walk(radice):
        for nome in sorted(file):
            if not nome.endswith((".cpp", ".h", ".hpp", ".cc")):
                continue
            relativo = os.path.relpath(os.path.join(cartella, nome), radice)
            if relativo in PORTA:
                continue
            with open(os.path.join(cartella, nome), encoding="utf-8", errors="replace") as f:
                testo = f.read()
            esaminati += 1
            eccezioni = ("demo",) if relativo.startswith("demo" + os.sep) else ()
            trovati += esamina(testo, relativo, eccezioni)
    for percorso, n, motivo, riga in trovati:
        print("%s:%d: %s fuori da ScritturaFile: %s" % (percorso, n, motivo, riga))
    print("%d file esaminati, %d scritture fuori dalla porta" % (esaminati, len(trovati)))
    return 1 if trovati or esaminati == 0 else 0

if __name__ == "__main__":
    sys.exit(main())
