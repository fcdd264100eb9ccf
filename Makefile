# The two commands of the README: `make test` and `make run`. Both install
# what they need first (Debian packages, see scripts/setup.sh).
.PHONY: all setup native win64 test unit sanitize fuzz e2e run soak bench format clean

all: native

setup:
	bash scripts/setup.sh

native: setup
	cmake --preset native >/dev/null && cmake --build --preset native

win64: setup
	cmake --preset win64 >/dev/null && cmake --build --preset win64

test: setup
	bash scripts/test.sh

run: setup
	bash scripts/run.sh

soak: setup
	bash scripts/soak.sh

bench: native
	bash bench/run.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
