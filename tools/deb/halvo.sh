#!/bin/sh
# halvo: starts the installed show. The demo reads its show (data/ and the
# track files) from the working directory, so it runs from where the
# package put it, wherever it was started from.
here=$(dirname "$(readlink -f "$0")")
cd "$here/../share/games/halvo" || exit 1
exec "$here/../lib/games/halvo/halvo" "$@"
