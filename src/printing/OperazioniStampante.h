#pragma once

#include <string>
#include <string_view>

namespace pc::stampa {

enum class Orientamento { Verticale = 1, Orizzontale = 2 };

// The operations the print asks of a system printer. The real one draws with
// Qt (StampanteQt); tests record the calls.
class OperazioniStampante {
public:
    virtual ~OperazioniStampante() = default;

    // Makes the printer whose name is exactly `nome` the current one; when no
    // printer has that name the current (default) one stays. Throws ErroreDati
    // when there is no printer at all to print on.
    virtual void scegliStampante(const std::string &nome) = 0;
    // Two-sided printing, turning on the long edge.
    virtual void impostaFronteRetro() = 0;
    virtual void impostaOrientamento(Orientamento orientamento) = 0;
    virtual void impostaFont(const std::string &nome) = 0;      // UTF-8 family name
    virtual void impostaDimensione(double punti) = 0;
    virtual double dimensione() const = 0;
    virtual void impostaGrassetto(bool grassetto) = 0;
    // Prints a text (Windows-1252 bytes) where the previous one stopped; with
    // fineRiga the next text starts on the next line.
    virtual void scrivi(std::string_view testo, bool fineRiga) = 0;
    virtual void nuovaPagina() = 0;
    // Ends the document and hands it to the printer. Throws ErroreDati when
    // the printer refuses it.
    virtual void fineDocumento() = 0;
};

} // namespace pc::stampa
