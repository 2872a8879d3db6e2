# The two commands of the README. Both install what is missing first.
.PHONY: run test bench setup build dist clean fuzz-long

setup:
	@bash scripts/setup.sh

run: setup
	@bash scripts/run.sh

test: setup
	@bash scripts/test.sh

# Not part of the tests: builds the optimised benchmarks, runs them (long:
# the program group opens 100 MiB in Wine six times) and writes the table
# into docs/performance.md.
bench: setup
	@bash scripts/bench.sh

# The program users download, with its SHA-256 (dist/nimbol.exe and
# dist/nimbol.exe.sha256), and the kit to relink it with a changed LGPL
# library (dist/nimbol-relink.zip and its .sha256). Signed with Authenticode
# when given a certificate: make dist SIGN_PFX=cert.pfx
# SIGN_PASSWORD_FILE=password.txt [SIGN_TIMESTAMP=url].
dist: setup
	@SIGN_PFX="$(SIGN_PFX)" SIGN_PASSWORD_FILE="$(SIGN_PASSWORD_FILE)" SIGN_TIMESTAMP="$(SIGN_TIMESTAMP)" \
		bash scripts/dist.sh

# Every fuzz target for RUNS executions each (not part of test: it takes
# hours, not seconds). TARGETS picks some of them; MAX_SECONDS caps each.
RUNS ?= 10000000
fuzz-long: setup
	@RUNS=$(RUNS) MAX_SECONDS=$(MAX_SECONDS) bash scripts/fuzz-long.sh $(TARGETS)

build: setup
	cmake --preset windows >/dev/null && cmake --build --preset windows -j $$(nproc)

clean:
	rm -rf build dist
