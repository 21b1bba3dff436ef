#!/usr/bin/env python3
"""The editor's schema of scenario.toml against the project files `new`
writes: both are valid, and the mistakes the program refuses are refused
by the schema too. Exits 77 (skipped) without the jsonschema module."""
import json
import sys
import tomllib

try:
    import jsonschema
except ImportError:
    print("jsonschema is not installed")
    sys.exit(77)

root = sys.argv[1]
schema = json.load(open(f"{root}/editors/vscode/schemas/scenario.schema.json"))
jsonschema.Draft4Validator.check_schema(schema)
validator = jsonschema.Draft4Validator(schema)

manifest = json.load(open(f"{root}/editors/vscode/package.json"))
assert manifest["contributes"]["tomlValidation"] == [
    {"fileMatch": "scenario.toml", "url": "./schemas/scenario.schema.json"}
], manifest["contributes"].get("tomlValidation")

data = f"{root}/src/content/data"
example = open(f"{data}/example_project.toml").read()
template = (open(f"{data}/template_project.toml").read()
            .replace("@LINE@", '"Costa"').replace("@TRAIN@", '"1"'))

failures = 0
for name, text in [("example", example), ("template", template)]:
    for error in validator.iter_errors(tomllib.loads(text)):
        print(f"FAIL  {name}: {error.message}")
        failures += 1

refused = [
    ("an unknown key", 'line = "A"\ntrian = "1"\n'),
    ("an unknown key in a table", '[sheet]\nvelocita = "V160"\n'),
    ("a number for a train", "train = 911\n"),
    ("a string for a speed", '[[station]]\nname = "A"\nmarching = "70"\n'),
    ("a station without its name", '[[station]]\nprinted = "A"\n'),
    ("a speed limit without its place", '[[speed_limit]]\nname = "A"\n'),
    ("a negative place", "[[extra_row]]\nat = -5\nname = \"B\"\n"),
    ("a speed beyond its cell", '[[station]]\nname = "A"\nmarching = 1000\n'),
    ("one table for an array of them", '[station]\nname = "A"\n'),
]
for what, text in refused:
    if validator.is_valid(tomllib.loads(text)):
        print(f"FAIL  the schema accepts {what}")
        failures += 1

print(f"{failures} failures")
sys.exit(1 if failures else 0)
