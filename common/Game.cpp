#include "common/Game.h"

#include "common/Description.h"

Game::Game(RecordFileFactory& files) : pair_(files) {}

void Game::start(const QString& path, const Show& show) {
    startAt(path, 1, show);
}

void Game::startAt(const QString& path, std::int32_t number, const Show& show) {
    over_ = false;
    // The player never writes, so read-only scenarios play too.
    pair_.openExisting(path, RecordFile::Access::ReadOnly);
    number_ = number;
    readSituation(show);
    // The start offers the first choice alone; the type of situation 1 counts only when a
    // choice comes back to it. Any other situation counts as reached by that first choice.
    offered_ = {true, false, false, false};
    if (number != 1)
        followType();
}

bool Game::offers(int n) const {
    return n >= 1 && n <= 4 && offered_[static_cast<std::size_t>(n - 1)];
}

bool Game::choose(int n, const Show& show) {
    if (!offers(n))
        return false;
    number_ = krok_.cel(n);
    readSituation(show);
    followType();
    return true;
}

void Game::close() {
    pair_.close();
}

void Game::closeOpen() {
    pair_.closeOpen();
}

QString Game::description() const {
    return Description::shown(krok_.Opis.text());
}

void Game::readSituation(const Show& show) {
    // Both buffers change only when both reads succeed, and the situation object only then.
    pair_.read(number_, rekord_, lista_);
    krok_.ZRekordu(rekord_);
    if (show)
        show();
}

void Game::followType() {
    if (lista_.Typ == Koniec) {
        offered_ = {};
        over_ = true;
    } else if (lista_.Typ <= Wybory3) {
        offered_ = offeredChoices(lista_.Typ);
    }
    // Any other type byte leaves the choices as the step before set them.
}
