#pragma once

// A small hotel written as SQLite files in a temporary folder, with the
// working directory, DIRKV and PCLocal set for a report run.

#include "ScrittoreSqlite.h"

#include <QDir>
#include <QTemporaryDir>

#include <map>
#include <string>
#include <vector>

namespace pc::prova {

using strumenti::I;
using strumenti::N;
using strumenti::R;
using strumenti::T;
using Righe = std::vector<std::vector<Valore>>;

struct AlbergoDiProva {
    // Rows of each table, columns in the suite's order (see colonneSuite).
    Righe numeriCamere;      // NumeroHotel, NumeroCamera, TipoCamera
    Righe tipiCamere;        // NumeroHotel, Sigla, Tipologia
    Righe macroN;            // NumeroHotel, Sigla
    Righe macro;             // TipoCamera, Sigla
    Righe schede;            // NumeroHotel, DataArrivo, DataPartenza, NumeroCamera
    Righe schedeStorico;     // NumeroHotel, DataArrivo, DataPartenzaReale, NumeroCamera
    Righe prenotazioni;      // NumeroHotel, DataArrivo, DataPartenza, NumeroCamera, TipoCamera, QuantitàCamere
    Righe conti;             // NumeroHotel, DataAddebito, VoceAddebito, NumeroCamera, Importo
    Righe contiStorico;      // same columns
    Righe arrangiamenti;     // NumeroHotel, NumeroCamera, DataInizio, DataFine, VoceAddebito, ImportoTotale
    Righe vociFattura;       // NumeroHotel, Codice, Reparto

    // Writes every file into dir (history under dir/storico).
    void scrivi(const QString &dir) const;
};

// A temporary folder that is the working directory while the object lives,
// with DIRKV pointing at its "storico" and PCLocal set to "7".
class CartellaDiLavoro {
public:
    CartellaDiLavoro();
    ~CartellaDiLavoro();
    QString percorso() const { return m_dir.path(); }
    // The report file's bytes ("fd7").
    std::string report() const;

private:
    QTemporaryDir m_dir;
    QString m_prima;
    QByteArray m_dirkv, m_pclocal;
};

// Report file bytes with the box-drawing bytes shown as the characters they
// stand for and CR LF as '\n', for readable expectations.
std::string leggibile(const std::string &bytes);

} // namespace pc::prova
