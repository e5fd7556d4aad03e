# Everything is driven from here; each target installs what it is missing first.
.PHONY: all test run dist bench setup clean

all: dist

setup:
	@bash scripts/setup-machine.sh

test: setup
	@bash scripts/test.sh

dist: setup
	@bash scripts/dist.sh

run: dist
	@bash scripts/run.sh

bench: setup
	@bash scripts/bench.sh

clean:
	rm -rf build dist
