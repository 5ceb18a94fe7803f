// Settings logic goes here.
